#pragma once

inline constexpr char kAppTitle[] = "OVX2 v0.9.0.7";

// Shown by Help > Manual and Help > About.
inline constexpr char kManualAddress[] = "https://ovx2.example.org/manual";
inline constexpr char kLegalNotice[] =
    "Copyright (C) the OVX2 developers. Free software, without any warranty.";
