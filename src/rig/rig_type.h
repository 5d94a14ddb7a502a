#pragma once

#include <QString>

// The radio family the bridge talks to. The window's rig-type list holds them in this order, and
// the list's index is read afresh at every decision; rigTypeFromIndex is the one place where an
// index becomes a type. The rig simulator uses the same enum for its families.
enum class RigType { None = -1, K3 = 0, Yaesu = 1, Kenwood = 2, K2 = 3, Icom = 4 };

inline constexpr int kRigTypeCount = 5;

constexpr RigType rigTypeFromIndex(int index)
{
    return index >= 0 && index < kRigTypeCount ? RigType(index) : RigType::None;
}

constexpr int rigTypeIndex(RigType type)
{
    return int(type);
}

// The list's captions, in list order: each family's name in its record; empty for none.
QString rigTypeName(RigType type);
