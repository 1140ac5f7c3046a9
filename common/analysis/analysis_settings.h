#pragma once
// The pre-processor's analysis settings: everything the filling solver needs
// besides the mesh. The setup dialogs edit these records, the analysis-file
// writers (analysis_files.h) turn them into the job's par, prc, bcd, inj and
// mtl files, and the project file saves and restores them.
//
// Units are SI except where a field says "as entered": temperatures are kelvin
// (dialogs show degrees Celsius, difference 273.15), the injection unit keeps
// the melt temperature in degrees Celsius and the stroke in millimetres as the
// user typed them, and the writers convert.

#include <string>
#include <vector>

namespace kv {

inline constexpr double kCelsiusOffset = 273.15;       // K = C + 273.15
inline constexpr size_t kMaterialNameLimit = 255;      // characters of a name (256-byte field)

// Solver parameters of the "par" file.
struct SolverParameters {
  int layers = 6;                  // layers across the half-gap
  int design_outputs = 12;         // number of design outputs in filling
  float convergence = 1e-6f;       // convergence criterion
  int max_iterations = 500;        // maximum number of iterations
  int inertia = 0;                 // inertia flag; not reset by File > New
};

// Process conditions of the "prc" file.
struct ProcessConditions {
  float clamp_force = 0;           // entered tonnes times 1000
  float filling_time = 1;          // s; the dialog sets 1 on every OK
  float packing_time = 5;          // s; likewise 5
  float cooling_time = 15;         // s; likewise 15
  float ambient_temperature = 296.15f;   // K
  float mold_temperature = 323.15f;      // K, mold wall
  float ejection_temperature = 363.15f;  // K
  float parting_normal[3] = {0, 0, 1};   // unit vector
  float gravity[3] = {0, 0, 0};          // m/s^2
};

// One polymer: an entry of the material database and the project's material
// record. The two spare reals have places in the project file but no meaning
// in any file of the suite.
struct MaterialRecord {
  std::string name;                // trade name
  float leading_spare = 0;         // project-file slot before the melt density
  float melt_density = 0;          // kg/m^3
  float solid_density = 0;         // kg/m^3
  // Two-domain Tait coefficients (SI): b5 K, b6 K/Pa, b1m/b1s m^3/kg,
  // b2m/b2s m^3/(kg.K), b3m/b3s Pa, b4m/b4s 1/K, b7 m^3/kg, b8 1/K, b9 1/Pa.
  float b1m = 0, b2m = 0, b3m = 0, b4m = 0;
  float b1s = 0, b2s = 0, b3s = 0, b4s = 0;
  float b5 = 0, b6 = 0, b7 = 0, b8 = 0, b9 = 0;
  float ejection_temperature = 0;  // K
  float melt_temperature_min = 0;  // K, injection temperature range
  float melt_temperature_max = 0;  // K
  float mold_temperature_min = 0;  // K
  float mold_temperature_max = 0;  // K
  float no_flow_temperature = 0;   // K
  float specific_heat = 0;         // J/(kg.C)
  float conductivity = 0;          // W/(m.C)
  float conductivity_spare = 0;    // project-file slot after the conductivity
  // Cross-WLF viscosity: n, Tau* Pa, D1 Pa.s, D2 K, D3 K/Pa, A1, A2~ K.
  float n = 0, tau_star = 0, d1 = 0, d2 = 0, d3 = 0, a1 = 0, a2 = 0;
};

// The Tait coefficients in the order the files carry them:
// b5, b6, b1m, b2m, b3m, b4m, b1s, b2s, b3s, b4s, b7, b8, b9.
inline constexpr int kTaitCount = 13;
void GetTaitCoefficients(const MaterialRecord& material, float values[kTaitCount]);
void SetTaitCoefficients(MaterialRecord& material, const float values[kTaitCount]);

// The Cross-WLF constants in file order: n, Tau*, D1, D2, D3, A1, A2~.
inline constexpr int kCrossWlfCount = 7;
void GetCrossWlfConstants(const MaterialRecord& material, float values[kCrossWlfCount]);
void SetCrossWlfConstants(MaterialRecord& material, const float values[kCrossWlfCount]);

// The material file of a job: the polymer and the fixed coolant, air and mold
// properties (the pre-processor always writes the defaults below).
struct JobMaterial {
  MaterialRecord polymer;
  float coolant_density = 1000;        // kg/m^3
  float coolant_specific_heat = 4186;  // J/(kg.C)
  float coolant_conductivity = 0.58f;  // W/(m.C)
  float coolant_viscosity = 0.001f;    // Pa.s
  std::string coolant_name = "Water";
  float air_density = 1;               // kg/m^3
  float air_specific_heat = 1;         // J/(kg.C)
  float air_conductivity = 0.024f;     // W/(m.C)
  float air_viscosity = 0.000001f;     // Pa.s
  std::string air_name = "Air";
  float mold_density = 7820;           // kg/m^3
  float mold_specific_heat = 460;      // J/(kg.C)
  float mold_conductivity = 36.5f;     // W/(m.C)
  std::string mold_name = "Steel";
};

// One machine of the screw database.
struct ScrewRecord {
  std::string name;                // commercial name
  float max_stroke = 0;            // m, maximum injection stroke
  float diameter = 0;              // m, screw diameter
  float max_rate = 0;              // m^3/s, maximum injection rate
  float max_pressure = 0;          // Pa, maximum hydraulic pressure
  float pressure_ratio = 0;        // resin/hydraulic pressure ratio
};

inline constexpr int kProfilePoints = 6;  // speed-profile points and valve-gate timers

// One injection unit (one per inlet), as the Screw and Injection settings
// dialogs fill it.
struct InjectionUnit {
  float melt_temperature = 0;             // C, as entered
  float stroke = 0;                       // mm, as entered
  float screw_diameter = 0;               // m
  float profile[kProfilePoints][2] = {};  // (position % of stroke, speed % of max rate)
  float valve_timer[kProfilePoints][2] = {};  // (on time s, off time s) per gate
  float max_rate = 0;                     // m^3/s
  float max_stroke = 0;                   // m
  float max_pressure = 0;                 // Pa, hydraulic
  float pressure_ratio = 0;               // resin/hydraulic
  float switch_volume = 0;                // % filled, fill/pack switch by volume
  float switch_position = 0;              // mm, as entered
  float switch_pressure = 0;              // MPa, as entered
  float fill_pack_ratio = 0;              // packing pressure relative to filling
  float spare[3] = {};                    // set by no dialog, carried by no file
};

// Boundary record types of the node and face lists.
enum BoundaryType : int {
  kPotentialInletNode = 2,
  kInletNode = 3,
  kInletFace = 4,
  kOutletFace = 10,
};

// A boundary condition on one node or face.
struct BoundaryRecord {
  int identifier = 0;              // 0-based identifier (face records: the face's group)
  int type = 0;                    // BoundaryType
  int entity = 0;                  // 0-based node index, or face entity
};

// Everything above as the pre-processor holds it for the current model.
struct AnalysisSettings {
  SolverParameters parameters;
  ProcessConditions process;
  MaterialRecord material;                     // the project's material record
  int current_material = -1;                   // index into the loaded material table, -1 none
  std::vector<BoundaryRecord> node_boundaries; // potential inlets and inlets
  std::vector<BoundaryRecord> face_boundaries; // inlet and outlet faces
  std::vector<InjectionUnit> injection_units;  // one per inlet picked; a unit beyond
                                               // inlet_count waits for the next inlet
  int inlet_count = 0;                         // inlets picked (units in use)
};

// Resets `settings` to the initial values of a new model: default solver
// parameters (the inertia flag is kept), default process conditions, empty
// boundary lists and injection units. The material record and the current
// material index are left as they are (the database selection outlives New).
void ResetAnalysisSettings(AnalysisSettings& settings);

// The injection unit the Injection settings dialog proposes: melt 230 C,
// profile positions 0..100 % with speeds 60, 80, 100, 100, 80, 60 %, valve
// gate 1 open from 0 to 1000 s, switch-over at 99 % volume, packing pressure
// ratio 0.8. Machine fields and the stroke are 0 (they come from the screw and
// the model).
InjectionUnit DefaultInjectionUnit();

// Copies a screw's machine data into an injection unit (the Screw dialog's OK).
void ApplyScrew(InjectionUnit& unit, const ScrewRecord& screw);

// The stroke in metres a screw of `diameter` m needs to inject `volume` m^3:
// 4 V / (pi D^2). 0 when the diameter is not positive.
double RequiredStroke(double volume, double diameter);

// Sets the phase times to the values every accepted Processing conditions
// dialog stores: filling 1 s, packing 5 s, cooling 15 s.
void SetStandardPhaseTimes(ProcessConditions& process);

}  // namespace kv
