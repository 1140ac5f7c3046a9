#pragma once
// A modal dialog of labelled text fields with OK and Cancel, the common shape
// of the setup dialogs. OK hands the texts to a check that returns a
// DialogReply: a message box is shown when it carries one, and the dialog
// stays open (the refused field focused) when it says so.

#include <functional>
#include <string>
#include <vector>

#include "common/analysis/setup_dialogs.h"

class QDialog;
class QGridLayout;
class QLineEdit;
class QWidget;

namespace kv {

struct FieldDialog {
  QDialog* dialog = nullptr;
  QGridLayout* grid = nullptr;        // rows of label and field; free rows below for extras
  std::vector<QLineEdit*> fields;     // in the order of `labels`

  // Builds the dialog: `labels` one per field (object names "field0"...),
  // `texts` their initial contents, one field per row.
  FieldDialog(QWidget* parent, const char* caption, const std::vector<std::string>& labels,
              const std::vector<std::string>& texts);
  // An empty dialog; the fields are placed with AddField.
  FieldDialog(QWidget* parent, const char* caption);
  ~FieldDialog();
  FieldDialog(const FieldDialog&) = delete;
  FieldDialog& operator=(const FieldDialog&) = delete;

  std::vector<std::string> Texts() const;
  void SetTexts(const std::vector<std::string>& texts);

  // Adds the next field (object name "field<index>") at grid cell (row,
  // column), with its label in that cell and the field right of it when
  // `label` is not empty.
  QLineEdit* AddField(int row, int column, const std::string& label, const std::string& text);

  // Adds a text in grid cell (row, column).
  void AddLabel(int row, int column, const std::string& text);

  // Adds a button in the row of field `row`, right of it.
  void AddButton(int row, const char* text, const std::function<void()>& action);

  // Runs the dialog; `check` is called on OK. Returns true when OK closed it.
  bool Run(const std::function<DialogReply(const std::vector<std::string>& texts)>& check);
};

// Shows the message box that `reply` asks for (captioned "KAVITRON").
void ShowReply(QWidget* parent, const DialogReply& reply);

}  // namespace kv
