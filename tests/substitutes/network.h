#pragma once
// Control of the IP Helper, router configuration and text conversion substitutes.
