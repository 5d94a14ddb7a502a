#pragma once

#include <functional>

class Bridge;

// Removes the virtual ports (asking about each one a station program still holds), switches the
// rig port's lines off and saves the settings. False when the user answers No: the close is
// cancelled, and the ports already removed stay removed.
bool runShutdown(Bridge &bridge, const std::function<void()> &saveConfig);
