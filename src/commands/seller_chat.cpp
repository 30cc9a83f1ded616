#include "commands/seller_chat.h"

#include <algorithm>

#include "app/application.h"

namespace varlen {

Text ChatAddress(std::string_view seller) {
  return "aliim:sendmsg?uid=cntaobao&touid=cntaobao" + Text(seller) + "&siteid=cntaobao&status=1";
}

Text ChatProgram(std::string_view command) {
  if (command.size() <= 3) return {};
  Text program = TrimBlanks(command.substr(0, command.size() - 3));
  if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
    program = TrimBlanks(std::string_view(program).substr(1, program.size() - 2));
  return program;
}

bool IsLaunchableSeller(std::string_view seller) {
  return !seller.empty() && std::none_of(seller.begin(), seller.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b == '"' || b < 0x20 || b == 0x7F;
  });
}

void ChatWithSellers(Application& app) {
  const int batch = app.BatchCount();
  for (int k = 0; k < batch; ++k) {
    const int selected = app.Table().SelectedRow();
    const long long row = static_cast<long long>(selected) + k;
    if (row >= app.Table().RowCount()) break;
    if (row < 0) continue;  // no row there: nothing to chat with
    const RowId id = app.Table().RowIdAt(static_cast<int>(row));
    const Text seller = app.Table().GetCellById(id, ColSeller);
    if (!IsLaunchableSeller(seller)) continue;
    const Text program =
        ChatProgram(app.Platform().shell.ReadUserRegistryString(ChatHandlerKey, ""));
    if (program.empty()) {
      app.State().SetText(Box::标签5, Text(kNoChatClient));
      return;
    }
    app.Platform().shell.StartProgram(program, "\"" + ChatAddress(seller) + "\"");
    app.Table().SetCellById(id, ColContact, "已联系");
    app.Log().AppendToContactLog(seller);
  }
}

void OpenShopPage(Application& app) {
  app.OpenInBrowser(app.Table().GetCell(app.Table().SelectedRow(), ColShopUrl));
}

}  // namespace varlen
