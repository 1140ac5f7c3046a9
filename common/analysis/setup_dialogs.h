#pragma once
// What the analysis setup dialogs decide, without a display: the texts each
// dialog shows when it opens, the checks and conversions of its OK, and the
// analysis file it then writes next to the model. The Qt dialogs are a thin
// layer that copies these texts into their fields and back.
//
// Temperatures are kelvin in the settings and degrees Celsius in the fields
// (273.15 both ways); the screw is metres, pascals and m^3/s in the settings
// and mm, MPa and cm^3/s in its fields.
//
// Every number field is read in full: an empty field reads as 0 (Materials:
// leaves the stored value), anything that is not a finite number, or a value
// outside what the solver can use, refuses the OK with a message naming the
// field, and the dialog stays open with the settings unchanged.

#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"

namespace kv {

// Icons of the message box a reply asks for.
enum DialogIcon : int { kIconNone = 0, kIconStop = 1, kIconExclamation = 2 };

// What an OK did: whether the dialog closes, and a message box to show.
struct DialogReply {
  bool close = true;
  std::string message;  // empty: no message box
  int icon = kIconNone;
  int field = -1;       // index of the refused field (the dialog focuses it), -1 none
};

// --- Parameters ("par") -----------------------------------------------------

struct ParameterFields {
  std::string layers, design_outputs, convergence, max_iterations;
};

// "%d", "%d", "%.g", "%d" of the stored parameters.
ParameterFields OpenParametersDialog(const SolverParameters& parameters);

// Checks the four fields (layers and iterations at least 1, design outputs at
// least 0, a convergence criterion above 0), stores them and writes the "par"
// file next to `model_path` (StoreAnalysisFile). Field indices 0..3.
DialogReply AcceptParametersDialog(AnalysisSettings& settings, const ParameterFields& fields,
                                   std::string& model_path);

// --- Materials ("mtl") ------------------------------------------------------

// Field order (and index): trade name, solid density, melt density, Cp, k,
// melt temperature min and max, mold temperature min and max, no-flow
// temperature, ejection temperature.
inline constexpr int kMaterialFieldCount = 11;
struct MaterialFields {
  std::string text[kMaterialFieldCount];
};

// The fields of the current material (all empty without one): name "%s",
// densities and Cp "%.0f", k "%.3f", temperatures in C "%.0f".
MaterialFields OpenMaterialsDialog(const AnalysisSettings& settings);

// The Material database dialog's choice: `index` of `materials` becomes the
// current material, copied into the settings; -1 (Cancel, or a name typed
// that is not in the list) keeps the current material as it was.
void PickMaterial(AnalysisSettings& settings, const std::vector<MaterialRecord>& materials, int index);

// OK: "Select polymer first." (exclamation, stays open) without a current
// material; otherwise every non-empty field is checked and stored (densities,
// Cp and k above 0, temperatures above absolute zero) and the "mtl" file is
// written.
DialogReply AcceptMaterialsDialog(AnalysisSettings& settings, const MaterialFields& fields,
                                  std::string& model_path);

// --- Rheological and pVT data -------------------------------------------------

// The seven Cross-WLF constants or the thirteen Tait coefficients of the
// current material as "%.4g" (empty without a current material).
std::vector<std::string> OpenRheologyDialog(const AnalysisSettings& settings);
std::vector<std::string> OpenPvtDialog(const AnalysisSettings& settings);

// OK: checks the fields (empty ones are left as stored) and stores the
// non-empty ones into the material. Nothing is written.
DialogReply AcceptRheologyDialog(AnalysisSettings& settings, const std::vector<std::string>& fields);
DialogReply AcceptPvtDialog(AnalysisSettings& settings, const std::vector<std::string>& fields);

// Plot...: the values as they stand in the fields (empty reads 0). Returns
// false (with a refusing reply) when a field is not a number, and false with
// an empty message when there is no current material (the button does
// nothing then).
bool RheologyPlotValues(const AnalysisSettings& settings, const std::vector<std::string>& fields,
                        float wlf[kCrossWlfCount], DialogReply& reply);
bool PvtPlotValues(const AnalysisSettings& settings, const std::vector<std::string>& fields,
                   float tait[kTaitCount], DialogReply& reply);

// --- Processing conditions ("prc") --------------------------------------------

// Field order: clamp force (t), mold wall, ejection and ambient temperature
// (C), parting normal x y z, gravity x y z (m/s^2).
inline constexpr int kProcessFieldCount = 10;
struct ProcessFields {
  std::string text[kProcessFieldCount];
};

// "%g" of the stored conditions; with a current material whose mold range
// mean (C) is above 0 the mold field shows it ("%.0f"), and its ejection
// temperature (C) when above 0.
ProcessFields OpenProcessDialog(const AnalysisSettings& settings);

// OK: sets the phase times 1, 5, 15 s; stores clamp force x 1000 (not
// negative), temperatures + 273.15 (above absolute zero), the normal (not
// zero) and gravity; writes the "prc" file.
DialogReply AcceptProcessDialog(AnalysisSettings& settings, const ProcessFields& fields,
                                std::string& model_path);

// --- Boundary conditions ("bcd") ---------------------------------------------

// The "Type:" choices by analysis dimension (2 midplane, 3 solid) and the
// index selected on opening ("Inlet").
std::vector<std::string> BoundaryTypeChoices(int dimension, int& selected);

// What OK starts: the command state of the pick (13 potential inlet, 14
// inlet on nodes, 15 inlet on faces, 16 outlet), and whether the Screw and
// Injection settings dialogs run first. Returns 0 for a bad choice.
int BoundaryPickState(int dimension, int type_index, bool& injection_dialogs);

// "Delete All": empties the inlet and potential-inlet lists, the face
// records and the injection units, and writes the "bcd" file.
DialogReply DeleteAllBoundaries(AnalysisSettings& settings, std::string& model_path);

// --- Screw -----------------------------------------------------------------

// Field order: commercial name, maximum stroke (mm), maximum hydraulic
// pressure (MPa), maximum injection rate (cm^3/s), resin/hydraulic pressure
// ratio, screw diameter (mm).
inline constexpr int kScrewFieldCount = 6;
struct ScrewFields {
  std::string text[kScrewFieldCount];
};

// Opening the Screw dialog: the table gets the unit being defined at index
// inlet_count (appended, or the one a cancelled pick left there, reset to
// the proposed injection settings). Returns its index.
int BeginInjectionUnit(AnalysisSettings& settings);

// The fields of a database screw, converted to the dialog's units: "%.0f"
// when that shows the value exactly, else as many digits as the value needs
// (a 22.5 mm screw or a 0.4 cm^3/s rate are not rounded away).
ScrewFields ScrewFieldsOf(const ScrewRecord& screw);

// OK: every machine value above 0; stores them, converted to SI, into the
// unit being defined. The name is not stored.
DialogReply AcceptScrewDialog(AnalysisSettings& settings, const ScrewFields& fields);

// --- Injection settings ------------------------------------------------------

struct InjectionFields {
  std::string melt_temperature;                  // C
  std::string stroke;                            // mm
  std::string position[kProfilePoints];          // % of stroke
  std::string speed[kProfilePoints];             // % of maximum rate
  std::string gate_on[kProfilePoints];           // s; gates 1..6
  std::string gate_off[kProfilePoints];          // s
  std::string switch_volume, switch_position, switch_pressure, pressure_ratio;
};

// Opening: melt "230" (or the mean of the material's melt range, "%.0f");
// the stroke the model needs, 4 V / (pi D^2) in mm ("%.0f"), when the unit's
// maximum stroke is larger, else an empty field and the stop message
// "Required injection stroke is larger than maximum injection stroke." in
// `reply`; the default profile and timers; "99" and "0.8".
//   model_volume: m^3 (mesh statistics).
InjectionFields OpenInjectionDialog(const AnalysisSettings& settings, double model_volume,
                                    DialogReply& reply);

// OK: melt temperature above absolute zero, stroke above 0, positions from 0
// to 100 % and not decreasing, speeds above 0 and at most 100 %, timers not
// negative, switch values not negative; stores them into the unit being
// defined. Field indices: 0 melt, 1 stroke, 2+i position, 8+i speed, 14+i on,
// 20+i off, 26..29 switch volume, position, pressure, ratio.
DialogReply AcceptInjectionDialog(AnalysisSettings& settings, const InjectionFields& fields);

}  // namespace kv
