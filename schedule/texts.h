#pragma once
// The schedule's texts, in code page 936.

namespace schedule_texts {

inline constexpr char startCaption[] = "\xC6\xF4\xD3\xC3";  // 启用
inline constexpr char stopCaption[] = "\xBD\xFB\xD3\xC3";   // 禁用

inline constexpr char timeErrorTitle[] =
    "\xCA\xB1\xBC\xE4\xC9\xE8\xD6\xC3\xB4\xED\xCE\xF3";  // 时间设置错误
// 断网时间设置不正确,不能早于当前时间
inline constexpr char disconnectTimeError[] =
    "\xB6\xCF\xCD\xF8\xCA\xB1\xBC\xE4\xC9\xE8\xD6\xC3\xB2\xBB\xD5\xFD\xC8\xB7,"
    "\xB2\xBB\xC4\xDC\xD4\xE7\xD3\xDA\xB5\xB1\xC7\xB0\xCA\xB1\xBC\xE4";
// 联网时间设置不正确,不能早于当前时间
inline constexpr char reconnectTimeError[] =
    "\xC1\xAA\xCD\xF8\xCA\xB1\xBC\xE4\xC9\xE8\xD6\xC3\xB2\xBB\xD5\xFD\xC8\xB7,"
    "\xB2\xBB\xC4\xDC\xD4\xE7\xD3\xDA\xB5\xB1\xC7\xB0\xCA\xB1\xBC\xE4";

inline constexpr char disconnectCountdown[] = "\xB6\xCF\xCD\xF8\xCA\xA3\xD3\xE0:";  // 断网剩余:
inline constexpr char reconnectCountdown[] = "\xC1\xAA\xCD\xF8\xCA\xA3\xD3\xE0:";   // 联网剩余:

inline constexpr char disconnected[] = "\xD2\xD1\xB6\xCF\xCD\xF8";              // 已断网
inline constexpr char reconnected[] = "\xD2\xD1\xC1\xAA\xCD\xF8";               // 已联网
inline constexpr char disconnectFailed[] = "\xB6\xCF\xCD\xF8\xCA\xA7\xB0\xDC";  // 断网失败
inline constexpr char reconnectFailed[] = "\xC1\xAA\xCD\xF8\xCA\xA7\xB0\xDC";   // 联网失败

// d天h小时m分s秒
inline constexpr char defaultCountdownTemplate[] = "d\xCC\xECh\xD0\xA1\xCA\xB1m\xB7\xD6s\xC3\xEB";

}  // namespace schedule_texts
