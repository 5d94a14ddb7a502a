#pragma once

#include <QPoint>
#include <QString>

#include <array>

// What the settings store reads and sets of the main window beyond its controls.
class WindowState {
public:
    virtual ~WindowState() = default;

    // The window's outer top left corner, in pixels.
    virtual QPoint outerPosition() const = 0;
    virtual void moveOuterTo(QPoint position) = 0;
    // The setup area shown (13500 x 9200 twips) or hidden (8800 x 6200).
    virtual bool setupShown() const = 0;
    virtual void showSetup(bool shown) = 0;
    // The state start-up shows the window in: 0 normal, 1 minimised, 2 maximised.
    virtual void setStartState(int state) = 0;
    // LaunchPaths: the command lines of the programs started with ports 1 to 5 (slots 0 to 4)
    // and the SDR program (slot 5); slots 6 and 7 are never used.
    virtual std::array<QString, 8> &launchPaths() = 0;
};
