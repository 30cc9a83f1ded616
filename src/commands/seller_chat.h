#pragma once
// Chats with sellers in the messenger (the program registered for aliim:
// addresses) and the shop page in the browser.
#include "text/byte_text.h"

namespace varlen {

class Application;

// Where the messenger's command is registered, under HKEY_CURRENT_USER.
inline constexpr std::string_view ChatHandlerKey = "Software\\Classes\\aliim\\Shell\\Open\\Command";
inline constexpr std::string_view kNoChatClient = "未找到旺旺客户端，无法发起聊天";

Text ChatAddress(std::string_view seller);
// The program part of the handler's command: its last three bytes cut (the
// " %1" of a usual command), surrounding quotes and blanks removed.
Text ChatProgram(std::string_view command);
// A name that could break out of the quoted argument is never launched.
bool IsLaunchableSeller(std::string_view seller);

// The double click: BatchCount chats from the selected row on.
void ChatWithSellers(Application& app);
// "进入店铺": the selected row's shop address, web addresses only.
void OpenShopPage(Application& app);

}  // namespace varlen
