#pragma once
// Texts the program shows in one form for every language. They are kept out of the
// language table so that a language switch never changes them.

#include <string_view>

namespace kv816 {

// Appended to the device mutex name when another instance holds the device.
inline constexpr std::string_view CHANNEL_BLOCKED_SUFFIX = " Channel is Blocked!";
// The worker thread could not be started.
inline constexpr std::string_view WORKER_START_FAILED = "创建串口发送线程失败！";

// Confirmations of the WiFi module, shown with the caption WIFI_CAPTION.
inline constexpr std::string_view WIFI_CAPTION = "WiFi";
inline constexpr std::string_view WIFI_ROUTER_SET = "Set RouteS:OK";
inline constexpr std::string_view WIFI_HOTSPOT_SET = "Set Hot:OK";
inline constexpr std::string_view WIFI_MODE_SET = "WiFiMode:OK";
inline constexpr std::string_view WIFI_RESTORED = "Restore:OK";
inline constexpr std::string_view WIFI_RESTARTED = "Restart:OK";

// The progress window's text before the worker sets its first format.
inline constexpr std::string_view PROGRESS_WELCOME = "欢迎使用!";
// Appended to the recall text ("Call...") while a preset is being recalled.
inline constexpr std::string_view RECALL_ELLIPSIS = "...";

// The three language commands of the System menu name each language in its own words.
inline constexpr std::string_view LANGUAGE_NAME_SIMPLIFIED = "简体中文";
inline constexpr std::string_view LANGUAGE_NAME_TRADITIONAL = "繁体中文";
inline constexpr std::string_view LANGUAGE_NAME_ENGLISH = "English";

// The About command of the window's system menu and the About box.
inline constexpr std::string_view ABOUT_MENU_ITEM = "关于 KV816(&A)...";
inline constexpr std::string_view ABOUT_TEXT = "KV816，1.0 版";

} // namespace kv816
