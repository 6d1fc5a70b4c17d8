// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

namespace vexo {

// One key of the settings file.
struct SettingKey {
    std::string_view section;
    std::string_view key;
};

// A key with the value the program takes when the file does not hold it.
template <typename T>
struct Setting : SettingKey {
    T defaultValue;
};

// Every key the program reads or writes, each declared once with its default.
namespace settings {

inline constexpr Setting<std::int32_t> kWidth{{"Prog", "Width"}, 600};
inline constexpr Setting<std::int32_t> kHeight{{"Prog", "Height"}, 500};
// Defaults to the executable's folder, which is known only at run time.
inline constexpr SettingKey kFolder{"Prog", "Folder"};
inline constexpr Setting<bool> kDeleteAfterDecoding{{"Prog", "AutoDel"}, false};
inline constexpr Setting<bool> kJoinAtOnce{{"Prog", "Auto"}, true};
inline constexpr Setting<bool> kOpenFolderAfter{{"Prog", "AutoOpen"}, false};
inline constexpr Setting<bool> kDecodeArrivals{{"Prog", "DecodeArrivals"}, false};
// Blocks between two pumps while decoding and joining; only set by hand.
inline constexpr Setting<std::int32_t> kUpdate{{"Prog", "Update"}, 100};

// "Автопроверка" and its period in seconds (never below 15), as the user
// left them.
inline constexpr Setting<bool> kAutoCheck{{"Prog", "AutoCheck"}, false};
inline constexpr Setting<std::int32_t> kAutoCheckPeriod{{"Prog", "AutoCheckPeriod"}, 60};

inline constexpr Setting<std::string_view> kServer{{"Server", "Name"}, ""};
inline constexpr Setting<std::string_view> kPort{{"Server", "Port"}, "6677"};
inline constexpr Setting<std::string_view> kLogin{{"Server", "Login"}, "test"};
inline constexpr Setting<std::string_view> kPassword{{"Server", "Passwd"}, "demo"};
inline constexpr Setting<std::int32_t> kRemovalMode{{"Server", "RemMode"}, 1};
// Seconds between two runs of the server task queue; only set by hand.
inline constexpr Setting<std::int32_t> kRefresh{{"Server", "Refresh"}, 5};

} // namespace settings

} // namespace vexo
