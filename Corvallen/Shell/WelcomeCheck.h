#pragma once

#include <QString>

class SettingsStore;

// The main window's first-launch check: records the running version under
// "lastWelcomeVersion" every time, and answers whether the welcome window should open, which
// is only while that setting had never been written (read as empty).
namespace WelcomeCheck {

QString settingsKey();  // "lastWelcomeVersion"
bool run(SettingsStore& settings, const QString& version);

}  // namespace WelcomeCheck
