// Where the command window stands on one monitor for a place stored for another: the line that
// follows the mouse pointer from monitor to monitor keeps the place the user dragged it to.
// Portable.
#pragma once

// A monitor's work area in screen pixels (right and bottom exclusive) and its pixels per inch.
struct TWorkArea {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Dpi = 96;
    bool operator==(const TWorkArea&) const = default;
};

struct TPlace {
    int X = 0, Y = 0;
    bool operator==(const TPlace&) const = default;
};

// The window's top-left corner on `to` for `place` on `from`, for a window of `width96` x
// `height96` pixels at 96 pixels per inch (its size on each monitor follows that monitor's
// scale). On each axis the window keeps its share of the room it leaves free in the work area:
// a line at an edge stays at that edge, a centred one stays centred, whatever the sizes and
// scales. A place partly outside `from` comes to lie within `to`. From a monitor to itself the
// place stays exactly as it is.
TPlace PlaceOnMonitor(TPlace place, const TWorkArea& from, const TWorkArea& to, int width96,
                      int height96);
