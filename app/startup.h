#pragma once

// The start routine: creates the window, runs the message loop and returns the process exit
// status (0 after the window was closed, -1 when the window could not be created).
int runApplication();

// The exit action: releases this run's adapter list.
void releaseAdapterList();
