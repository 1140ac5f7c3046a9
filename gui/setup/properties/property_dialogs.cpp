#include "gui/setup/properties/property_dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "common/mesh/mesh_model.h"
#include "gui/setup/properties/property_table.h"

namespace kv {
namespace {

const char* const kTypeTexts[kPropertyTypeCount] = {"Connector",       "Cold runner",     "Hot runner",   "Part runner",
                                                     "Cooling channel", "Cooling surface", "Mold surface", "Part surface",
                                                     "Part dual surface", "Part volume"};

bool AskQuestion(QWidget* parent, const char* text) {
  return QMessageBox::question(parent, QStringLiteral("KAVITRON"), QString::fromLatin1(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// The property a row names: its leading integer is the identifier, which
// equals the index after compaction; rows of read meshes count from 1, so the
// row's position decides when the two differ.
int PropertyOfRow(const QListWidget* list) { return list->currentRow(); }

void FillList(QListWidget* list, const MeshModel& model) {
  list->clear();
  for (const ElementProperty& p : model.properties) list->addItem(QString::fromStdString(PropertyRow(p)));
}

}  // namespace

bool RunEditPropertyDialog(QWidget* parent, MeshModel& model, int index, bool* changed) {
  *changed = false;
  if (index < 0 || index >= static_cast<int>(model.properties.size())) return false;
  const ElementProperty& p = model.properties[index];
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("EditProperty"));
  dialog.setWindowTitle(QStringLiteral("Edit property"));
  auto* name = new QLineEdit(QString::fromStdString(p.name), &dialog);
  auto* type = new QComboBox(&dialog);
  for (const char* t : kTypeTexts) type->addItem(QString::fromLatin1(t));
  type->setCurrentIndex(TypePositionOfCategory(p.category));
  auto* size = new QLineEdit(QString::fromStdString(PropertySizeText(p)), &dialog);
  auto* shape = new QLineEdit(QString::number(double(p.shape_factor)), &dialog);
  shape->setEnabled(false);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Name:"), name);
  form->addRow(QStringLiteral("Type:"), type);
  form->addRow(QStringLiteral("Diameter/thickness:"), size);
  form->addRow(QStringLiteral("Shape factor:"), shape);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  if (type->currentIndex() < 0) return false;  // a category outside the table, left as it was
  bool ok = false;
  const double value = size->text().toDouble(&ok);
  const int n = ApplyPropertyEdit(model, index, name->text().toStdString(), type->currentIndex(), ok ? value : 0.0);
  *changed = n > 0;
  return true;
}

int RunViewPropertiesDialog(QWidget* parent, MeshModel& model, int* current,
                            const std::function<void(int property)>& show, const std::function<void()>& changed) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("ViewProperties"));
  dialog.setWindowTitle(QStringLiteral("View properties"));
  auto* list = new QListWidget(&dialog);
  FillList(list, model);
  int action = kPropertyClosed;
  auto* grid = new QGridLayout;
  const char* captions[] = {"New", "Edit", "Assign", "Assign All", "Show", "Unassigned", "Reassign", "Delete", "OK",
                            "Cancel"};
  QPushButton* b[10];
  for (int i = 0; i < 10; ++i) {
    b[i] = new QPushButton(QString::fromLatin1(captions[i]), &dialog);
    grid->addWidget(b[i], i / 2, i % 2);
  }
  b[7]->setEnabled(false);
  auto selected = [list, &model] {
    const int p = PropertyOfRow(list);
    return p >= 0 && p < static_cast<int>(model.properties.size()) ? p : -1;
  };
  auto show_selected = [&] {
    const int p = selected();
    if (p < 0) return;
    *current = p;
    if (show) show(p);
  };
  QObject::connect(b[0], &QPushButton::clicked, &dialog, [&] {
    AppendNewProperty(model);
    FillList(list, model);
    list->setCurrentRow(list->count() - 1);
  });
  QObject::connect(b[1], &QPushButton::clicked, &dialog, [&] {
    const int p = selected();
    bool edited = false;
    if (p < 0 || !RunEditPropertyDialog(&dialog, model, p, &edited)) return;
    list->item(p)->setText(QString::fromStdString(PropertyRow(model.properties[p])));
    list->setCurrentRow(p);
    if (edited && changed) changed();
  });
  QObject::connect(b[2], &QPushButton::clicked, &dialog, [&] {
    if (selected() < 0) return;
    *current = selected();
    action = kPropertyAssign;
    dialog.accept();
  });
  QObject::connect(b[3], &QPushButton::clicked, &dialog, [&] {
    if (selected() < 0) return;
    *current = selected();
    action = kPropertyAssignAll;
    dialog.accept();
  });
  QObject::connect(b[4], &QPushButton::clicked, &dialog, show_selected);
  QObject::connect(list, &QListWidget::itemClicked, &dialog, show_selected);
  QObject::connect(b[5], &QPushButton::clicked, &dialog, [&] {
    if (!AskQuestion(&dialog, "Remove unassigned properties?")) return;
    RemoveUnassignedProperties(model);
    FillList(list, model);
  });
  QObject::connect(b[6], &QPushButton::clicked, &dialog, [&] {
    if (!AskQuestion(&dialog, "Reassigned equivalent properties?")) return;
    MergeEquivalentProperties(model);
    FillList(list, model);
  });
  QObject::connect(b[8], &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(b[9], &QPushButton::clicked, &dialog, &QDialog::reject);
  auto* layout = new QHBoxLayout(&dialog);
  layout->addWidget(list);
  layout->addLayout(grid);
  dialog.exec();
  if (*current >= static_cast<int>(model.properties.size())) *current = model.properties.empty() ? -1 : 0;
  return action;
}

void RunFixMeshDialog(QWidget* parent, MeshModel& model, const std::function<void()>& applied) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("263"));
  dialog.setWindowTitle(QStringLiteral("Fix mesh"));
  const FixMeshFields defaults;
  auto* distance = new QLineEdit(QString::fromStdString(defaults.distance), &dialog);
  auto* aspect = new QLineEdit(QString::fromStdString(defaults.aspect), &dialog);
  auto* thickness = new QLineEdit(QString::fromStdString(defaults.thickness), &dialog);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Merge nodes/elements (distance < ):"), distance);
  form->addRow(QStringLiteral("Contract elements (aspect ratio > ): "), aspect);
  form->addRow(QStringLiteral("Minimum thickness:"), thickness);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    FixMeshFields fields;
    fields.distance = distance->text().toStdString();
    fields.aspect = aspect->text().toStdString();
    fields.thickness = thickness->text().toStdString();
    std::string error;
    if (ApplyFixMesh(model, fields, error) != 1) {
      QMessageBox::critical(&dialog, QStringLiteral("KAVITRON"), QString::fromStdString(error));
      return;
    }
    if (applied) applied();
  });
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  dialog.exec();
}

bool RunTransparencyDialog(QWidget* parent, float* factor, bool* opaque, const std::function<void(float)>& preview) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("Transparency"));
  dialog.setWindowTitle(QStringLiteral("Transparency"));
  auto* slider = new QSlider(Qt::Horizontal, &dialog);
  slider->setRange(0, 10);
  slider->setTickInterval(1);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setValue(10);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Transparent"), &dialog));
  row->addWidget(slider);
  row->addWidget(new QLabel(QStringLiteral("Opac"), &dialog));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(row);
  layout->addWidget(buttons);
  if (preview)
    QObject::connect(slider, &QSlider::valueChanged, &dialog, [&](int value) { preview(value / 10.0f); });
  if (dialog.exec() != QDialog::Accepted) {
    if (preview) preview(*factor);
    return false;
  }
  *factor = ApplyTransparency(slider->value(), opaque);
  if (preview) preview(*factor);
  return true;
}

}  // namespace kv
