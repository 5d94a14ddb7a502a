#pragma once

// The rig type is the index of the rig-type list: read afresh at every decision, never cached.
namespace RigType {
constexpr int None = -1;
constexpr int K3 = 0;
constexpr int Yaesu = 1;
constexpr int Kenwood = 2;
constexpr int K2 = 3;
} // namespace RigType

// Which rig types a row of a table applies to. "Any" includes no selection; "NotYaesu" is every
// index but Yaesu's, no selection included.
enum class RigCond { Any, K3, K3orK2, Yaesu, NotYaesu, K2 };

constexpr bool holds(RigCond cond, int rigType)
{
    switch (cond) {
    case RigCond::Any:
        return true;
    case RigCond::K3:
        return rigType == RigType::K3;
    case RigCond::K3orK2:
        return rigType == RigType::K3 || rigType == RigType::K2;
    case RigCond::Yaesu:
        return rigType == RigType::Yaesu;
    case RigCond::NotYaesu:
        return rigType != RigType::Yaesu;
    case RigCond::K2:
        return rigType == RigType::K2;
    }
    return false;
}
