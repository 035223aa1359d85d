#include "panel/StatusView.h"

#include <gtest/gtest.h>

namespace {

// The updates as readable text, so that whole lists compare at once.
std::string Described(const std::vector<ControlUpdate>& updates) {
  std::string text;
  for (const ControlUpdate& update : updates) {
    text += "control " + std::to_string(static_cast<int>(update.control));
    switch (update.aspect) {
      case ControlUpdate::Aspect::Text:
        text += " text \"" + update.text + "\"\n";
        break;
      case ControlUpdate::Aspect::Visible:
        text += update.on ? " shown\n" : " hidden\n";
        break;
      case ControlUpdate::Aspect::Enabled:
        text += update.on ? " enabled\n" : " disabled\n";
        break;
    }
  }
  return text;
}

StatusInputs ServiceIn(unsigned state) {
  StatusInputs inputs;
  inputs.serviceOpened = true;
  inputs.serviceState = state;
  return inputs;
}

TEST(StatusView, Application) {
  const StatusView initial = InitialStatusView();
  StatusInputs inputs;
  StatusView view = NextStatusView(initial, inputs, PanelLanguage::English);
  EXPECT_EQ(view.appLabel, "Application is not running");
  EXPECT_TRUE(view.appStartEnabled);
  inputs.instanceMutexExists = true;
  view = NextStatusView(view, inputs, PanelLanguage::English);
  EXPECT_EQ(view.appLabel, "Application is running");
  EXPECT_FALSE(view.appStartEnabled);
  EXPECT_EQ(NextStatusView(view, inputs, PanelLanguage::Russian).appLabel, "Приложение работает");
  inputs.instanceMutexExists = false;
  EXPECT_EQ(NextStatusView(view, inputs, PanelLanguage::Russian).appLabel, "Приложение не запущено");
}

TEST(StatusView, EveryServiceState) {
  struct Row {
    unsigned state;
    const char* russian;
    const char* english;
    bool start, stop;
  };
  const Row rows[] = {
      {1, "Сервис остановлен", "Service is stopped", true, false},
      {2, "Сервис ожидает запуска", "Сервис ожидает запуска", false, true},
      {3, "Сервис ожидает остановки", "Сервис ожидает остановки", false, false},
      {4, "Сервис работает", "Service is running", false, true},
      {5, "Сервис ожидает", "Сервис ожидает", false, true},
      {6, "Сервис ожидает приостановки", "Сервис ожидает приостановки", false, false},
      {7, "Сервис приостановлен", "Сервис приостановлен", false, true},
  };
  for (const Row& row : rows) {
    for (const PanelLanguage language : {PanelLanguage::Russian, PanelLanguage::English}) {
      const StatusView view = NextStatusView(InitialStatusView(), ServiceIn(row.state), language);
      EXPECT_EQ(view.serviceLabel, language == PanelLanguage::Russian ? row.russian : row.english) << row.state;
      EXPECT_FALSE(view.installVisible) << row.state;
      EXPECT_TRUE(view.removeVisible) << row.state;
      EXPECT_EQ(view.serviceStartVisible, row.start) << row.state;
      EXPECT_EQ(view.serviceStopVisible, row.stop) << row.state;
      EXPECT_FALSE(view.serviceStartVisible && view.serviceStopVisible);
    }
  }
}

TEST(StatusView, ServiceNotInstalledOrInUnknownState) {
  StatusInputs inputs;  // manager or service not reachable
  StatusView view = NextStatusView(InitialStatusView(), ServiceIn(4), PanelLanguage::English);
  view = NextStatusView(view, inputs, PanelLanguage::English);
  EXPECT_EQ(view.serviceLabel, "Service is not installed");
  EXPECT_TRUE(view.installVisible);
  EXPECT_FALSE(view.removeVisible || view.serviceStartVisible || view.serviceStopVisible);
  EXPECT_EQ(NextStatusView(view, inputs, PanelLanguage::Russian).serviceLabel, "Сервис не установлен");

  // An unknown state keeps the label and hides every service button.
  view = NextStatusView(view, ServiceIn(4), PanelLanguage::English);
  for (const unsigned unknown : {0u, 8u, 0xFFFFFFFFu}) {
    const StatusView odd = NextStatusView(view, ServiceIn(unknown), PanelLanguage::English);
    EXPECT_EQ(odd.serviceLabel, "Service is running");
    EXPECT_FALSE(odd.installVisible || odd.removeVisible || odd.serviceStartVisible || odd.serviceStopVisible);
  }
}

TEST(StatusView, TranscoderLabel) {
  EXPECT_EQ(TranscoderStateText(false, "239.1.2.3;1234;7782;0.0.0.0;", 5), "Транскодер не запущен");
  EXPECT_EQ(TranscoderStateText(true, "", 0), "Транскодер запущен");
  EXPECT_EQ(TranscoderStateText(true, "", -1), "Транскодер запущен");
  EXPECT_EQ(TranscoderStateText(true, "", 2), "Транскодер запущен [2]");
  EXPECT_EQ(TranscoderStateText(true, "239.1.2.3;1234;7782;0.0.0.0;", 0), "Кодируется поток udp://@239.1.2.3:1234");
  EXPECT_EQ(TranscoderStateText(true, "239.1.2.3;1234;7782;0.0.0.0;", 3),
            "Кодируется поток udp://@239.1.2.3:1234 [3]");
  EXPECT_EQ(TranscoderStateText(true, "tv;5;7782;;", -1), "Кодируется поток udp://@tv:5");
  // Without ";" both fields are empty; without a second ";" the port is.
  EXPECT_EQ(TranscoderStateText(true, "239.1.2.3:1234", 0), "Кодируется поток udp://@:");
  EXPECT_EQ(TranscoderStateText(true, "239.1.2.3:1234", 1), "Кодируется поток udp://@: [1]");
  EXPECT_EQ(TranscoderStateText(true, "239.1.2.3;1234", 0), "Кодируется поток udp://@239.1.2.3:");
  EXPECT_EQ(TranscoderStateText(true, ";", 0), "Кодируется поток udp://@:");
}

TEST(StatusView, TranscoderButtons) {
  StatusInputs inputs;
  StatusView view = NextStatusView(InitialStatusView(), inputs, PanelLanguage::English);
  EXPECT_TRUE(view.transcoderStartVisible);
  EXPECT_FALSE(view.transcoderStopVisible);
  EXPECT_FALSE(view.transcoderControlsEnabled);  // the check box is clear
  EXPECT_EQ(view.transcoderLabel, "Транскодер не запущен");
  inputs.transcoderWindowExists = true;
  inputs.transcoderEnabled = true;
  view = NextStatusView(view, inputs, PanelLanguage::English);
  EXPECT_FALSE(view.transcoderStartVisible);
  EXPECT_TRUE(view.transcoderStopVisible);
  EXPECT_TRUE(view.transcoderControlsEnabled);
  EXPECT_EQ(view.transcoderLabel, "Транскодер запущен");

  // A refused profile is said on the line of the stream it was refused for, in the panel's language.
  inputs.transcoderRefusal = "cannot find video encoder";
  EXPECT_EQ(NextStatusView(view, inputs, PanelLanguage::English).transcoderLabel, "Транскодер запущен");
  inputs.transcoderRequest = "239.1.2.3;1234;7782;0.0.0.0;";
  EXPECT_EQ(NextStatusView(view, inputs, PanelLanguage::English).transcoderLabel,
            "Кодируется поток udp://@239.1.2.3:1234 - profile refused");
  EXPECT_EQ(NextStatusView(view, inputs, PanelLanguage::Russian).transcoderLabel,
            "Кодируется поток udp://@239.1.2.3:1234 - профиль отклонён");
}

TEST(StatusView, OnlyDifferencesAreWritten) {
  const StatusView initial = InitialStatusView();
  EXPECT_EQ(initial.appLabel, "---");
  EXPECT_EQ(initial.serviceLabel, "---");
  EXPECT_EQ(initial.transcoderLabel, "---");
  EXPECT_TRUE(StatusUpdates(initial, initial).empty());

  StatusInputs inputs = ServiceIn(4);
  inputs.transcoderEnabled = true;
  const StatusView first = NextStatusView(initial, inputs, PanelLanguage::English);
  using A = ControlUpdate::Aspect;
  EXPECT_EQ(Described(StatusUpdates(initial, first)),
            Described({{ControlId::AppStateLabel, A::Text, "Application is not running"},
                       {ControlId::ServiceStateLabel, A::Text, "Service is running"},
                       {ControlId::RemoveButton, A::Visible, "", true},
                       {ControlId::ServiceStopButton, A::Visible, "", true},
                       {ControlId::TranscoderStateLabel, A::Text, "Транскодер не запущен"}}));

  // The same states again write nothing, so the labels do not flicker.
  EXPECT_TRUE(StatusUpdates(first, NextStatusView(first, inputs, PanelLanguage::English)).empty());

  // The service pauses and the transcoder check box is cleared.
  inputs.serviceState = 7;
  inputs.transcoderEnabled = false;
  EXPECT_EQ(Described(StatusUpdates(first, NextStatusView(first, inputs, PanelLanguage::English))),
            Described({{ControlId::ServiceStateLabel, A::Text, "Сервис приостановлен"},
                       {ControlId::ProfileBox, A::Enabled, "", false},
                       {ControlId::TranscoderStartButton, A::Enabled, "", false}}));
}

}  // namespace
