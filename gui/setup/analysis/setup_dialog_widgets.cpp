#include "gui/setup/analysis/setup_dialog_widgets.h"

#include <memory>

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/analysis/setup_dialogs.h"
#include "common/database/databases.h"
#include "gui/platform/platform.h"
#include "gui/setup/analysis/field_dialog.h"

namespace kv {
namespace {

template <size_t N>
std::vector<std::string> ToVector(const std::string (&texts)[N]) {
  return std::vector<std::string>(texts, texts + N);
}

template <size_t N>
void FromVector(const std::vector<std::string>& v, std::string (&texts)[N]) {
  for (size_t i = 0; i < N && i < v.size(); ++i) texts[i] = v[i];
}

// A pick dialog: a combo box of names under `label`, OK and Cancel.
QDialog* PickDialog(QWidget* parent, const char* caption, const char* label, QComboBox** combo) {
  auto* dialog = new QDialog(parent);
  dialog->setWindowTitle(QString::fromUtf8(caption));
  dialog->setObjectName(QString::fromUtf8(caption));
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(new QLabel(QString::fromUtf8(label)));
  *combo = new QComboBox;
  (*combo)->setObjectName(QStringLiteral("names"));
  (*combo)->setMinimumWidth(320);
  layout->addWidget(*combo);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return dialog;
}

void RunCoefficientDialog(SetupContext& c, bool rheology) {
  const std::vector<std::string> labels =
      rheology ? std::vector<std::string>{"n:", "Tau* (Pa):", "D1 (Pa.s):", "D2 (K):", "D3 (K/Pa):", "A1:", "A2~ (K):"}
               : std::vector<std::string>{"b5 (K):", "b6 (K/Pa):", "b1m (m^3/kg):", "b2m (m^3/kg.K):", "b3m (Pa):",
                                          "b4m (1/K):", "b1s (m^3/kg):", "b2s (m^3/kg.K):", "b3s (Pa):",
                                          "b4s (1/K):", "b7 (m^3/kg):", "b8 (1/K):", "b9 (1/Pa):"};
  FieldDialog form(c.parent, rheology ? "Rheological Data" : "pVT Data", labels,
                   rheology ? OpenRheologyDialog(*c.settings) : OpenPvtDialog(*c.settings));
  form.AddButton(0, "Plot...", [&] {
    DialogReply reply;
    PlotData plot;
    if (rheology) {
      float wlf[kCrossWlfCount];
      if (!RheologyPlotValues(*c.settings, form.Texts(), wlf, reply)) return ShowReply(form.dialog, reply);
      double t[4];
      ViscosityPlotTemperatures(c.settings->material.melt_temperature_min, c.settings->material.melt_temperature_max, t);
      plot = BuildViscosityPlot(wlf, t);
    } else {
      float tait[kTaitCount];
      if (!PvtPlotValues(*c.settings, form.Texts(), tait, reply)) return ShowReply(form.dialog, reply);
      double p[5];
      PvtPlotPressures(p);
      plot = BuildPvtPlot(tait, p);
    }
    ShowPlotInViewer(form.dialog, plot, c.program_dir);
  });
  form.Run([&](const std::vector<std::string>& texts) {
    return rheology ? AcceptRheologyDialog(*c.settings, texts) : AcceptPvtDialog(*c.settings, texts);
  });
}

}  // namespace

void RunParametersDialog(SetupContext& c) {
  ParameterFields f = OpenParametersDialog(c.settings->parameters);
  FieldDialog form(c.parent, "Parameters",
                   {"Number of layers across half-gap:", "Number of design outputs:", "Convergence criterion:",
                    "Maximum number of iterations:"},
                   {f.layers, f.design_outputs, f.convergence, f.max_iterations});
  form.Run([&](const std::vector<std::string>& t) {
    return AcceptParametersDialog(*c.settings, {t[0], t[1], t[2], t[3]}, *c.model_path);
  });
}

void RunMaterialsDialog(SetupContext& c) {
  FieldDialog form(c.parent, "Materials",
                   {"Trade name:", "Solid density (kg/m^3):", "Melt density (kg/m^3):", "Cp (J/kg.C):",
                    "k (W/m.C):", "Injection temperature, minimum (C):", "Injection temperature, maximum (C):",
                    "Mold temperature, minimum (C):", "Mold temperature, maximum (C):", "No-flow temperature (C):",
                    "Ejection temperature (C):"},
                   ToVector(OpenMaterialsDialog(*c.settings).text));
  form.AddButton(0, "...", [&] {
    std::vector<MaterialRecord> materials;
    std::string error;
    if (LoadMaterials(materials, DatabasePath(c.program_dir, "materials.mdb"), error) == 0) ShowStop(form.dialog, error);
    PickMaterial(*c.settings, materials, RunMaterialDatabaseDialog(form.dialog, materials));
    if (c.settings->current_material >= 0) form.SetTexts(ToVector(OpenMaterialsDialog(*c.settings).text));
  });
  form.AddButton(1, "Rheological data...", [&] { RunCoefficientDialog(c, true); });
  form.AddButton(2, "pVT data...", [&] { RunCoefficientDialog(c, false); });
  form.Run([&](const std::vector<std::string>& t) {
    MaterialFields f;
    FromVector(t, f.text);
    return AcceptMaterialsDialog(*c.settings, f, *c.model_path);
  });
}

void RunProcessDialog(SetupContext& c) {
  FieldDialog form(c.parent, "Processing conditions",
                   {"Clamp force (t):", "Mold wall temperature (C):", "Ejection temperature (C):",
                    "Ambient temperature (C):", "Parting plane normal x:", "Parting plane normal y:",
                    "Parting plane normal z:", "Gravity x (m/s^2):", "Gravity y (m/s^2):", "Gravity z (m/s^2):"},
                   ToVector(OpenProcessDialog(*c.settings).text));
  form.Run([&](const std::vector<std::string>& t) {
    ProcessFields f;
    FromVector(t, f.text);
    return AcceptProcessDialog(*c.settings, f, *c.model_path);
  });
}

int RunBoundaryConditionsDialog(SetupContext& c, const std::function<void()>& redraw) {
  QDialog dialog(c.parent);
  dialog.setWindowTitle(QStringLiteral("Boundary conditions"));
  dialog.setObjectName(QStringLiteral("Boundary conditions"));
  auto* layout = new QGridLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Type:")), 0, 0);
  auto* type = new QComboBox;
  type->setObjectName(QStringLiteral("type"));
  int selected = 0;
  for (const std::string& t : BoundaryTypeChoices(c.dimension, selected)) type->addItem(QString::fromStdString(t));
  type->setCurrentIndex(selected);
  layout->addWidget(type, 0, 1);
  auto* edit = new QPushButton(QStringLiteral("Edit"));  // no action
  auto* remove = new QPushButton(QStringLiteral("Delete All"));
  QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
    DialogReply reply = DeleteAllBoundaries(*c.settings, *c.model_path);
    if (redraw) redraw();
    ShowReply(&dialog, reply);
  });
  layout->addWidget(edit, 1, 0);
  layout->addWidget(remove, 1, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons, 2, 0, 1, 2);
  if (dialog.exec() != QDialog::Accepted) return 0;
  bool injection_dialogs = false;
  const int state = BoundaryPickState(c.dimension, type->currentIndex(), injection_dialogs);
  if (injection_dialogs && (!RunScrewDialog(c) || !RunInjectionDialog(c))) return 0;
  return state;
}

bool RunScrewDialog(SetupContext& c) {
  BeginInjectionUnit(*c.settings);
  int chosen = 0;
  FieldDialog form(c.parent, "Screw",
                   {"Commercial name:", "Maximum injection stroke (mm):", "Maximum hydraulic pressure (MPa):",
                    "Maximum injection rate (cm^3/s):", "Resin/hydraulic pressure ratio:", "Screw diameter (mm):"},
                   {});
  form.fields[0]->setReadOnly(true);
  form.AddButton(0, "...", [&] {
    std::vector<ScrewRecord> screws;
    std::string error;
    if (LoadScrews(screws, DatabasePath(c.program_dir, "screws.mdb"), error) == 0) ShowStop(form.dialog, error);
    const int index = RunScrewDatabaseDialog(form.dialog, screws, c.model_volume, chosen);
    if (index < 0 || index >= static_cast<int>(screws.size())) return;
    chosen = index;
    form.SetTexts(ToVector(ScrewFieldsOf(screws[index]).text));
  });
  return form.Run([&](const std::vector<std::string>& t) {
    ScrewFields f;
    FromVector(t, f.text);
    return AcceptScrewDialog(*c.settings, f);
  });
}

bool RunInjectionDialog(SetupContext& c) {
  DialogReply opening;
  InjectionFields f = OpenInjectionDialog(*c.settings, c.model_volume, opening);
  ShowReply(c.parent, opening);
  // Fields are added in the order of the field indices of the check.
  FieldDialog form(c.parent, "Injection settings");
  form.AddField(0, 0, "Melt temperature (C):", f.melt_temperature);
  form.AddField(1, 0, "Injection stroke (mm):", f.stroke);
  form.AddLabel(2, 0, "Position (%):");
  form.AddLabel(3, 0, "Speed (%):");
  for (int i = 0; i < kProfilePoints; ++i) form.AddField(2, 1 + i, "", f.position[i]);
  for (int i = 0; i < kProfilePoints; ++i) form.AddField(3, 1 + i, "", f.speed[i]);
  // Valve gates 1 to 3 in the left column, 4 to 6 in the right one.
  for (int column : {0, 3}) {
    form.AddLabel(4, column, "Valve gate");
    form.AddLabel(4, column + 1, "On (s)");
    form.AddLabel(4, column + 2, "Off (s)");
  }
  for (int i = 0; i < kProfilePoints; ++i) {
    form.AddLabel(5 + i % 3, (i / 3) * 3, std::to_string(i + 1));
    form.AddField(5 + i % 3, (i / 3) * 3 + 1, "", f.gate_on[i]);
  }
  for (int i = 0; i < kProfilePoints; ++i) form.AddField(5 + i % 3, (i / 3) * 3 + 2, "", f.gate_off[i]);
  form.AddField(8, 0, "F/P switch by volume (%):", f.switch_volume);
  form.AddField(8, 3, "F/P switch by position (mm):", f.switch_position);
  form.AddField(9, 0, "F/P switch by pressure (MPa):", f.switch_pressure);
  form.AddField(9, 3, "F/P pressure ratio:", f.pressure_ratio);
  return form.Run([&](const std::vector<std::string>& t) {
    InjectionFields in;
    in.melt_temperature = t[0];
    in.stroke = t[1];
    for (int i = 0; i < kProfilePoints; ++i) {
      in.position[i] = t[2 + i];
      in.speed[i] = t[8 + i];
      in.gate_on[i] = t[14 + i];
      in.gate_off[i] = t[20 + i];
    }
    in.switch_volume = t[26];
    in.switch_position = t[27];
    in.switch_pressure = t[28];
    in.pressure_ratio = t[29];
    return AcceptInjectionDialog(*c.settings, in);
  });
}

int RunMaterialDatabaseDialog(QWidget* parent, const std::vector<MaterialRecord>& materials) {
  QComboBox* combo = nullptr;
  std::unique_ptr<QDialog> dialog(PickDialog(parent, "Material database", "Trade name:", &combo));
  combo->setEditable(true);
  for (const MaterialRecord& m : materials) combo->addItem(QString::fromStdString(m.name));
  if (dialog->exec() != QDialog::Accepted) return -1;
  return FindMaterial(materials, combo->currentText().toStdString());
}

int RunScrewDatabaseDialog(QWidget* parent, const std::vector<ScrewRecord>& screws, double shot_volume, int previous) {
  QComboBox* combo = nullptr;
  std::unique_ptr<QDialog> dialog(PickDialog(parent, "Screw database", "Commercial name:", &combo));
  for (const ScrewRecord& s : screws) combo->addItem(QString::fromStdString(s.name));
  combo->setCurrentIndex(PreselectScrew(screws, shot_volume, previous));
  if (dialog->exec() != QDialog::Accepted) return -1;
  return combo->currentIndex();
}

void ShowPlotInViewer(QWidget* parent, const PlotData& plot, const std::string& program_dir) {
  std::string path, error;
  if (PlotFilePath(path, error) != 1 || WritePlotFile(plot, path, error) != 1) {
    ShowStop(parent, error);
    return;
  }
  const QString viewer = QString::fromStdString(program_dir + "/curvex");
  if (!QProcess::startDetached(viewer, {QString::fromStdString(path)}, QString::fromStdString(program_dir)))
    ShowStop(parent, "Unable to start the plot viewer: " + viewer.toStdString());
}

}  // namespace kv
