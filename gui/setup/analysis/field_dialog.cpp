#include "gui/setup/analysis/field_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/platform/platform.h"

namespace kv {

FieldDialog::FieldDialog(QWidget* parent, const char* caption, const std::vector<std::string>& labels,
                         const std::vector<std::string>& texts)
    : FieldDialog(parent, caption) {
  for (size_t i = 0; i < labels.size(); ++i)
    AddField(static_cast<int>(i), 0, labels[i], i < texts.size() ? texts[i] : std::string());
}

FieldDialog::FieldDialog(QWidget* parent, const char* caption) {
  dialog = new QDialog(parent);
  dialog->setWindowTitle(QString::fromUtf8(caption));
  dialog->setObjectName(QString::fromUtf8(caption));
  auto* layout = new QVBoxLayout(dialog);
  grid = new QGridLayout;
  layout->addLayout(grid);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [this] { dialog->done(2); });
  layout->addWidget(buttons);
}

FieldDialog::~FieldDialog() { delete dialog; }

QLineEdit* FieldDialog::AddField(int row, int column, const std::string& label, const std::string& text) {
  auto* edit = new QLineEdit(QString::fromStdString(text));
  edit->setObjectName(QStringLiteral("field%1").arg(fields.size()));
  if (!label.empty()) AddLabel(row, column++, label);
  grid->addWidget(edit, row, column);
  fields.push_back(edit);
  return edit;
}

void FieldDialog::AddLabel(int row, int column, const std::string& text) {
  grid->addWidget(new QLabel(QString::fromStdString(text)), row, column);
}

std::vector<std::string> FieldDialog::Texts() const {
  std::vector<std::string> texts;
  for (QLineEdit* f : fields) texts.push_back(f->text().toStdString());
  return texts;
}

void FieldDialog::SetTexts(const std::vector<std::string>& texts) {
  for (size_t i = 0; i < fields.size() && i < texts.size(); ++i) fields[i]->setText(QString::fromStdString(texts[i]));
}

void FieldDialog::AddButton(int row, const char* text, const std::function<void()>& action) {
  auto* button = new QPushButton(QString::fromUtf8(text));
  QObject::connect(button, &QPushButton::clicked, dialog, action);
  grid->addWidget(button, row, 2);
}

bool FieldDialog::Run(const std::function<DialogReply(const std::vector<std::string>&)>& check) {
  // OK ends exec() with 2; a refused check runs the dialog again as it stands.
  while (dialog->exec() == 2) {
    const DialogReply reply = check(Texts());
    ShowReply(dialog, reply);
    if (reply.close) return true;
    if (reply.field >= 0 && reply.field < static_cast<int>(fields.size())) {
      fields[reply.field]->setFocus();
      fields[reply.field]->selectAll();
    }
  }
  return false;
}

void ShowReply(QWidget* parent, const DialogReply& reply) {
  if (reply.message.empty()) return;
  const QString text = QString::fromStdString(reply.message);
  if (reply.icon == kIconExclamation)
    QMessageBox::warning(parent, QString::fromLatin1(kProductCaption), text);
  else
    ShowStop(parent, reply.message);
}

}  // namespace kv
