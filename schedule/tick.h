#pragma once

// 时钟1's handler: shows a countdown, fires one due action, or does nothing.
void onScheduleTick();
