#include "panel/PanelConsole.h"

#include <gtest/gtest.h>

#include "panel/HelpText.h"

namespace {

TEST(PanelConsole, HelpLinesThenOneLinePerState) {
  PanelFields fields = DefaultPanelFields({"192.168.1.5"});
  LoadSettingsLines(fields, {"0.0.0.0", "0.0.0.0", "8000", "0", ""});
  StatusInputs inputs;
  inputs.instanceMutexExists = true;
  const StatusView view = NextStatusView(InitialStatusView(), inputs, PanelLanguage::English);

  const std::vector<std::string> lines = ConsolePanelLines(fields, view, PanelLanguage::English);
  ASSERT_EQ(lines.size(), 24u + 1u + 1u + 3u);
  EXPECT_EQ(lines[0], "Usage examples");
  EXPECT_EQ(lines[1], "");
  // Entry 0 is shown as the last host address, as in the window; the trailing blank stays.
  EXPECT_EQ(lines[3], "   use this URL http://192.168.1.5:8000/udp://@x.x.x.x:x ");
  EXPECT_EQ(lines[19], "Input box \"Multicast Interface\" supports list entry ");
  EXPECT_EQ(lines[23], "   interface 192.168.1.2 is selected, if not - 192.168.0.1 ");
  EXPECT_EQ(lines[24], "Operator's playlist: save it as corvane.m3u beside the program and give apps the address "
                       "http://192.168.1.5:8000/playlist.m3u");
  EXPECT_EQ(lines[25], "");
  EXPECT_EQ(lines[26], "Application is running");
  EXPECT_EQ(lines[27], "Service is not installed");
  EXPECT_EQ(lines[28], "Транскодер не запущен");

  const StatusView russianView = NextStatusView(InitialStatusView(), inputs, PanelLanguage::Russian);
  const std::vector<std::string> russian = ConsolePanelLines(fields, russianView, PanelLanguage::Russian);
  EXPECT_EQ(russian[19], "Поле \"Интерфейс мультикаста\" поддерживает ввод списка ");
  EXPECT_EQ(russian[26], "Приложение работает");
}

TEST(PanelConsole, HelpForTheCurrentFields) {
  PanelFields fields = DefaultPanelFields({});
  fields.httpInterfaceIndex = 1;
  fields.httpPort = "7781";
  EXPECT_EQ(HelpTextFor(fields, PanelLanguage::English),
            HelpText(PanelLanguage::English, "127.0.0.1", "7781", "Multicast Interface"));
  fields.httpPort = "80x";
  EXPECT_NE(HelpTextFor(fields, PanelLanguage::Russian).find("http://127.0.0.1:80x/udp/"), std::string::npos);
}

}  // namespace
