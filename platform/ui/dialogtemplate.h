#pragma once
// CDialogTemplate: makes a dialog's controls as a dialog template lists them: each at
// its place in the client area (x, y, width, height in pixels) and registered under its
// id. Controls with id 0 are labels and frames nobody addresses.
#include <initializer_list>

#include "platform/cstring.h"

class CDialog;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;

class CDialogTemplate
{
public:
    explicit CDialogTemplate(CDialog& dialog);

    QLabel* Static(int id, const CString& text, int x, int y, int width, int height);
    QCheckBox* Check(int id, const CString& text, int x, int y, int width, int height);
    QPushButton* Button(int id, const CString& text, int x, int y, int width, int height);
    // A one-line edit box.
    QLineEdit* Edit(int id, int x, int y, int width, int height, bool readOnly = false);
    QPlainTextEdit* MultiLineEdit(int id, int x, int y, int width, int height, bool readOnly);
    // A drop-down list with its items.
    QComboBox* DropList(int id, std::initializer_list<const char*> items, int x, int y, int width, int height);
    QListWidget* ListBox(int id, int x, int y, int width, int height);
    QGroupBox* Group(const CString& text, int x, int y, int width, int height);
    // An etched line (or rectangle, when taller than 2 pixels).
    QFrame* Etched(int id, int x, int y, int width, int height);
    // A control the dialog made itself, placed and registered like the others.
    QWidget* Place(int id, QWidget* control, int x, int y, int width, int height);

private:
    CDialog& m_dialog;
};
