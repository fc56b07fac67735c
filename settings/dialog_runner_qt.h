// Runs the program's modal dialogs. Tests install a script that works the
// dialog's controls (types, ticks, presses) and returns its result, so the
// dialog's own transfer code runs without a user.
#pragma once
#include <QDialog>

#include <functional>

class QHBoxLayout;

using DialogScript = std::function<int(QDialog& dialog)>;
// Installs a script; returns the previous one. An empty function puts exec() back.
DialogScript SetDialogScript(DialogScript script);
// exec(), or the installed script (the dialog is shown first, without
// waiting, so that its set-up runs as it would for the user).
int RunModalDialog(QDialog& dialog);
// The main window as the owner of a dialog (nullptr when there is none).
QWidget* DialogOwner();
// The usual button row, right-aligned: OK (the default button) and, when
// asked, キャンセル, wired to accept and reject.
QHBoxLayout* OkCancelRow(QDialog* dlg, bool withCancel = true);
