#pragma once

inline constexpr char kAppTitle[] = "OVX2 v0.9.0.7";
