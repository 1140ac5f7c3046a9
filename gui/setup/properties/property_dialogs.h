#pragma once
// The Qt dialogs of Properties > View (with Edit property), Mesh > Fix and
// View > Transparency: thin layers over property_table.h. Dialog numbers are
// the object names, so tests find them.

#include <functional>

#include "common/mesh/mesh_model.h"

class QWidget;

namespace kv {

// What the View properties dialog asks the frame to do after it closed.
enum PropertyDialogAction : int {
  kPropertyClosed = 0,     // OK or Cancel
  kPropertyAssign = 1,     // start Assign for *current
  kPropertyAssignAll = 2,  // start Assign All for *current
};

// "View properties": the list of "%d - %s" rows and the buttons New, Edit,
// Assign, Assign All, Show, Unassigned, Reassign, Delete (disabled), OK,
// Cancel. `show` highlights the elements of a property (Show and a click in
// the list); `changed` runs after an edit that changed elements.
//   current: the current property (0-based), set by Show, Assign, Assign All.
int RunViewPropertiesDialog(QWidget* parent, MeshModel& model, int* current,
                            const std::function<void(int property)>& show, const std::function<void()>& changed);

// "Edit property" for property `index`. Returns true when OK was pressed;
// `changed` is set when elements took new sizes or categories.
bool RunEditPropertyDialog(QWidget* parent, MeshModel& model, int index, bool* changed);

// "Fix mesh": OK applies the repair with the three fields and stays open;
// `applied` runs after each repair (rebuild and redraw). Cancel closes.
void RunFixMeshDialog(QWidget* parent, MeshModel& model, const std::function<void()>& applied);

// "Transparency": a track bar 0 (Transparent) .. 10 (Opac), the thumb at 10.
// `preview` shows each position's factor at once while the thumb moves;
// Cancel shows the factor held in *factor again. Returns true on OK with the
// factor and the opaque flag.
bool RunTransparencyDialog(QWidget* parent, float* factor, bool* opaque, const std::function<void(float)>& preview);

}  // namespace kv
