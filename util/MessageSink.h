// The one place where the core shows a message to the user. The window shows a
// message box, the command line prints to standard error, tests record.
#pragma once

#include <functional>
#include <string>

using MessageSink = std::function<void(const std::string& text)>;

// Shows text through the installed sink (standard error until one is installed).
void ShowMessage(const std::string& text);

// Installs sink and returns the one it replaces; an empty sink restores the default.
MessageSink SetMessageSink(MessageSink sink);
