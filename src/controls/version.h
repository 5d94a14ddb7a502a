#pragma once

// OVX2_VERSION is the project's version, given by the build.
inline constexpr char kAppTitle[] = "OVX2 v" OVX2_VERSION;

// Shown by Help > Manual and Help > About.
inline constexpr char kManualAddress[] = "https://ovx2.example.org/manual";
inline constexpr char kLegalNotice[] =
    "Copyright (C) the OVX2 developers. Free software, without any warranty.";
