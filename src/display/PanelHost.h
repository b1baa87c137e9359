// What a panel needs from the main window: the install state it paints, and the layout call
// it makes once it has measured its height.
#pragma once

class InstallState;

class PanelHost
{
public:
    virtual ~PanelHost() = default;
    virtual const InstallState& State() const = 0;
    // Sizes and places the panels and the window once all three panels have measured.
    virtual void PlaceWindows() = 0;
};
