#pragma once

#include <QString>

// The radio family the bridge talks to. The window's rig-type list holds them in this order, and
// the list's index is read afresh at every decision; rigTypeFromIndex is the one place where an
// index becomes a type. The rig simulator uses the same enum for its families.
enum class RigType { None = -1, K3 = 0, Yaesu = 1, Kenwood = 2, K2 = 3 };

inline constexpr int kRigTypeCount = 4;

constexpr RigType rigTypeFromIndex(int index)
{
    return index >= 0 && index < kRigTypeCount ? RigType(index) : RigType::None;
}

constexpr int rigTypeIndex(RigType type)
{
    return int(type);
}

// The list's captions, in list order.
inline QString rigTypeName(RigType type)
{
    switch (type) {
    case RigType::K3:
        return QStringLiteral("K3");
    case RigType::Yaesu:
        return QStringLiteral("Yaesu");
    case RigType::Kenwood:
        return QStringLiteral("Kenwood");
    case RigType::K2:
        return QStringLiteral("K2");
    case RigType::None:
        break;
    }
    return {};
}

// Which rig types a row of a table applies to. "Any" includes no selection; "NotYaesu" is every
// type but Yaesu, no selection included.
enum class RigCond { Any, K3, K3orK2, Yaesu, NotYaesu, Kenwood, K2 };

constexpr bool holds(RigCond cond, RigType type)
{
    switch (cond) {
    case RigCond::Any:
        return true;
    case RigCond::K3:
        return type == RigType::K3;
    case RigCond::K3orK2:
        return type == RigType::K3 || type == RigType::K2;
    case RigCond::Yaesu:
        return type == RigType::Yaesu;
    case RigCond::NotYaesu:
        return type != RigType::Yaesu;
    case RigCond::Kenwood:
        return type == RigType::Kenwood;
    case RigCond::K2:
        return type == RigType::K2;
    }
    return false;
}
