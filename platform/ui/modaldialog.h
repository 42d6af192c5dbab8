#pragma once
// RunModalDialog: shows a prepared dialog modally and answers as its exec() would.
// A sink installed with SetModalDialogSink answers instead, given the dialog as it would
// show (tests fill its fields and accept it). Without a sink on Qt's offscreen platform
// nobody could press a button: the dialog is accepted unseen.
#include <functional>

class QDialog;

// Answers QDialog::Accepted or QDialog::Rejected.
using ModalDialogSink = std::function<int(QDialog&)>;

// Returns the sink that was installed before; an empty sink restores the default.
ModalDialogSink SetModalDialogSink(ModalDialogSink sink);

int RunModalDialog(QDialog& dialog);
// True when a dialog run now can be answered: a sink is installed, or a windowing
// application shows it on a real screen. A dialog that must not be accepted unseen asks first.
[[nodiscard]] bool CanAnswerModalDialog();
