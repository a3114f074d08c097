#pragma once

// Every message box and the folder dialog go through these functions, so
// the window's logic can be driven without a person at the screen: a test
// installs its own answerer and the real dialogs never open.

#include <functional>
#include <optional>
#include <string>

// Plain: OK only, without an icon. QuestionWithCancel: Yes (the
// default), No and Cancel.
enum class TMessageKind { Information, Error, Question, QuestionWithCancel, Plain };
enum class TMessageButton { Ok, Yes, No, Cancel };

using TMessageAnswerer = std::function<TMessageButton(const std::string& text, TMessageKind kind)>;
using TFolderChooser = std::function<std::optional<std::string>(const std::string& initialFolder)>;

// The caption of every message box: the application title.
std::string ApplicationTitle();

// Shows `text` modally over the active window. Information and Error
// boxes have one OK button; a Question has Yes and No; Esc or closing a
// QuestionWithCancel answers Cancel.
TMessageButton ShowMessage(const std::string& text, TMessageKind kind);

// Asks for a folder, starting in `initialFolder` (empty: no preference).
// nullopt when the user cancels.
std::optional<std::string> ChooseFolder(const std::string& initialFolder);

// Replace the real dialogs; an empty function restores them. Each returns
// the function it replaced.
TMessageAnswerer SetMessageAnswerer(TMessageAnswerer answerer);
TFolderChooser SetFolderChooser(TFolderChooser chooser);
