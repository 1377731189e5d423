// The command window on the monitor the user works on ("FollowMonitor" in "SYSTEM"): at call-up
// it comes to the monitor that holds the mouse pointer, where the stored place puts it on the
// main monitor; a drag on another monitor is stored as the place it stands for on the main one.
#pragma once

#include "app/MonitorPlace.h"

#include <windows.h>

struct TMonitorLookup {
    // The work area and scale of the monitor that holds the mouse pointer, and of the main
    // monitor. Replaceable: the tests play two or three monitors of different sizes and scales.
    static TWorkArea (*CursorMonitor)();
    static TWorkArea (*MainMonitor)();
};

// The window's top-left corner at call-up for the place stored for the main monitor.
POINT FollowedPlace(POINT stored, SIZE size96);
// The place on the main monitor that a place dragged to on the pointer's monitor stands for.
POINT PlaceOnMainMonitor(POINT dragged, SIZE size96);
