#include "app/QueryWindow.h"

#include <utility>

#include "platform/codepage/CodePage.h"

void OnWindowCreated(WindowHost& window) {
  window.SetPicture(ControlId::图片框4, LogoBytes());
}

void OnQueryClicked(WindowHost& window, const QueryRoutine& query) {
  window.SetText(ControlId::编辑框_日志1, TextValue());
  window.SetText(ControlId::编辑框4, TextValue());
  const TextValue number = window.GetText(ControlId::编辑框3);
  if (number.empty()) {
    static const TextValue kText = GbkFromUtf8("请输入快递单号");
    static const TextValue kCaption = GbkFromUtf8("单号为空");
    window.MessageBox(kText, kCaption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  window.StartThread(query);
}

WindowEvents QueryWindowEvents(QueryRoutine query) {
  WindowEvents events;
  events.created = [](WindowHost& window) { OnWindowCreated(window); };
  events.queryClicked = [query = std::move(query)](WindowHost& window) {
    OnQueryClicked(window, query);
  };
  return events;
}

int RunQueryWindow(int argc, char** argv, QueryRoutine query) {
  RunWindow(argc, argv, QueryWindowEvents(std::move(query)));
}
