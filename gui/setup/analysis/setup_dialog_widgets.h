#pragma once
// The Qt dialogs of Simulation > Parameters, Materials, Processing
// Conditions and Boundary Conditions (with the Screw and Injection settings
// dialogs), the two database pick dialogs, and the hand-over of a plot to
// `curvex`. Each is a thin layer over common/analysis/setup_dialogs.h.

#include <functional>
#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"
#include "common/plot/plot_data.h"

class QWidget;

namespace kv {

// What the dialogs work on.
struct SetupContext {
  QWidget* parent = nullptr;
  AnalysisSettings* settings = nullptr;
  std::string* model_path = nullptr;  // current model path; keeps the extension written last
  std::string program_dir;            // where the databases and curvex are
  int dimension = 2;                  // 2 midplane, 3 solid
  double model_volume = 0;            // m^3, the shot the machine must hold
};

// "Parameters": writes the "par" file on OK.
void RunParametersDialog(SetupContext& context);

// "Materials" with its "...", "Rheological data..." and "pVT data..."
// buttons: writes the "mtl" file on OK.
void RunMaterialsDialog(SetupContext& context);

// "Processing conditions": writes the "prc" file on OK.
void RunProcessDialog(SetupContext& context);

// "Boundary conditions": Delete All writes the "bcd" file (and calls
// `redraw`); OK runs the Screw and Injection settings dialogs where the type
// needs them. Returns the command state of the pick to start (13 to 16), or
// 0 when the dialog was cancelled.
int RunBoundaryConditionsDialog(SetupContext& context, const std::function<void()>& redraw);

// "Screw" and "Injection settings": fill the injection unit being defined.
// False when cancelled.
bool RunScrewDialog(SetupContext& context);
bool RunInjectionDialog(SetupContext& context);

// "Material database" and "Screw database": the chosen index, or -1.
int RunMaterialDatabaseDialog(QWidget* parent, const std::vector<MaterialRecord>& materials);
int RunScrewDatabaseDialog(QWidget* parent, const std::vector<ScrewRecord>& screws, double shot_volume,
                           int previous);

// Writes `plot` to graph.out in the user's private plot directory and
// starts `curvex` on it (no shell; the path is one argument). A failure is
// shown in a message box.
void ShowPlotInViewer(QWidget* parent, const PlotData& plot, const std::string& program_dir);

}  // namespace kv
