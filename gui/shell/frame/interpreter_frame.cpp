// The frame's side of the command interpreter: the hooks through which the
// commands redraw, switch pick modes, offer choice menus and show messages;
// the Select menu commands; File > Journal and the journal replay.
#include <cstdio>

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "common/output/pane_output.h"
#include "gui/platform/cursors.h"
#include "gui/platform/platform.h"
#include "gui/setup/properties/property_dialogs.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/frame/main_window.h"
#include "gui/view/core/view_settings.h"
#include "gui/view/gl/graphics_view.h"
#include "mesh/engine/mesh_statistics.h"

namespace kv {

void MainWindow::ConnectInterpreter() {
  CommandContext& c = commands_;
  c.state = &state_.interpreter;
  c.model = &model_;
  c.analysis = &analysis_;
  c.selection = &selection_;
  c.tables = &pick_tables_;
  c.model_path = &state_.model_path;
  c.current_property = &current_property_;
  c.refresh_tables = [this] {
    ++pick_revision_;
    RefreshVisibility(model_, state_.view.categories);
    BuildDrawingTables(model_, DrawingOptions{}, pick_tables_);
    ClassifyOutlines(pick_tables_, model_, kOutlineAngle);
  };
  c.journal = [this](const std::string& line) { journal_.lines.push_back(line); };
  CommandHooks& h = c.hooks;
  h.redraw = [this] { view_widget_->RedrawView(); };
  h.invalidate = [this] {
    ++pick_revision_;
    state_.data_modified = true;
    view_widget_->Invalidate();
  };
  h.model_changed = [this] {
    ++pick_revision_;
    view_widget_->Invalidate();
  };
  h.rebuild_vertex_grid = [this] { ++pick_revision_; };
  h.set_cursor = [this](int node_number) { view_widget_->SetCommandCursor(NodeCursor(node_number)); };  // refilled at the next hover or click
  h.reset_view = [this] { view_widget_->ResetAndRedraw(); };
  h.set_pick_mode = [this](int mode) { Dispatch(PickModeCommand(mode)); };
  h.set_rotation_centre = [this](const float point[3]) {
    if (!replaying_) view_widget_->SetRotationCentre(point);
  };
  h.choice_menu = [this](int resource) {
    // Offered after the step has returned, so that the choice starts the
    // next step rather than running inside this one.
    // Only while the command still waits at the step that asked.
    if (replaying_) return;
    const int command = state_.interpreter.command, step = state_.interpreter.step;
    QTimer::singleShot(0, this, [this, resource, command, step] {
      if (state_.interpreter.command == command && state_.interpreter.step == step && isActiveWindow())
        PopupChoiceMenu(resource);
    });
  };
  h.message_box = [this](const std::string& text) {
    if (replaying_)
      AppendOutput(text);
    else
      ShowStop(this, text);
  };
  h.edit_property = [this](int property) {
    bool changed = false;
    if (RunEditPropertyDialog(this, model_, property, &changed) && changed) view_widget_->Invalidate();
    view_widget_->RedrawView();
  };
  c.refresh_tables();
  ConnectPicking();
}

bool MainWindow::RunPropertyCommand(int id) {
  switch (id) {
    case kCmdFixMesh:
      RunFixMeshDialog(this, model_, [this] {
        BeginWait();
        commands_.refresh_tables();
        state_.data_modified = true;
        view_widget_->Invalidate();
        view_widget_->RedrawView();
        EndWait();
      });
      return true;
    case kCmdTransparency: {
      float factor = state_.view.opacity;
      bool opaque = factor == 1.0f;
      RunTransparencyDialog(this, &factor, &opaque, [this](float value) {
        state_.view.opacity = value;
        view_widget_->Invalidate();
        view_widget_->RedrawView();
      });
      return true;
    }
    case kCmdViewProperties: {
      auto show = [this](int property) {
        ClearSelection(selection_);
        for (size_t f = 0; f < pick_tables_.facets.size(); ++f) {
          const int e = pick_tables_.facets[f].element;
          if (e >= 0 && e < static_cast<int>(model_.elements.size()) && model_.elements[e].property == property)
            selection_.facets.push_back(static_cast<int>(f));
        }
        for (size_t b = 0; b < pick_tables_.beams.size(); ++b) {
          const int e = pick_tables_.beams[b].element;
          if (e >= 0 && e < static_cast<int>(model_.elements.size()) && model_.elements[e].property == property)
            selection_.beams.push_back(static_cast<int>(b));
        }
        view_widget_->RedrawView();
      };
      auto changed = [this] {
        commands_.refresh_tables();
        view_widget_->Invalidate();
      };
      const int action = RunViewPropertiesDialog(this, model_, &current_property_, show, changed);
      ClearSelection(selection_);
      view_widget_->RedrawView();
      if (action == kPropertyAssign) {
        const int category = current_property_ >= 0 ? model_.properties[current_property_].category : 0;
        const bool line = category == kConnector || category == kColdRunner || category == kHotRunner ||
                          category == kPartRunner || category == kCoolingChannel;
        Dispatch(line ? kCmdPickLine : kCmdPickFacet);
        RunCommand(commands_, 17);
      } else if (action == kPropertyAssignAll) {
        RunCommand(commands_, 18);
      }
      return true;
    }
    default:
      return false;
  }
}

void MainWindow::ConnectPicking() {
  view_widget_->SetSelectionSource(&selection_, &pick_tables_);
  view_widget_->SetRubberLineSource([this](int ends[2]) { return RubberLineNodes(commands_, ends); });
  view_widget_->on_pick_click = [this](int x, int y) { PickAt(x, y); };
  view_widget_->on_pick_box = [this](int x0, int y0, int x1, int y1) {
    SelectInBox(selection_, model_, pick_tables_, view_widget_->Projection(), state_.view.pick_mode, x0, y0, x1, y1);
    view_widget_->update();
  };
  view_widget_->on_hover = [this](int x, int y) {
    if (state_.view.pick_mode != kPickVertex) return;
    RefreshVertexGrid(vertex_grid_, model_, pick_tables_.node_mask, view_widget_->Projection(), pick_revision_);
    const int hovered = TrackHoveredNode(vertex_grid_, x, y);
    if (hovered == selection_.hovered_node) return;
    selection_.hovered_node = hovered;
    view_widget_->update();
  };
  view_widget_->on_right_press = [this] {
    EndCommand(commands_);
    ClearSelection(selection_);
    view_widget_->update();
  };
  view_widget_->on_middle_press = [this] {
    ++state_.interpreter.step;
    RunInterpreter(commands_, std::string());
  };
}

void MainWindow::PickAt(int x, int y) {
  if (state_.interpreter.command != 0 && state_.interpreter.expected == kExpectScreenPoint) {
    const std::string text = std::to_string(x) + " " + std::to_string(y) + " 0";
    ++state_.interpreter.step;
    RunInterpreter(commands_, text);
    return;
  }
  const ScreenProjection& projection = view_widget_->Projection();
  const int mode = state_.view.pick_mode;
  if (mode == kPickVertex) {
    RefreshVertexGrid(vertex_grid_, model_, pick_tables_.node_mask, projection, pick_revision_);
    selection_.hovered_node = TrackHoveredNode(vertex_grid_, x, y);
    if (selection_.hovered_node < 0) return;
    ToggleSelectedNode(selection_, selection_.hovered_node);
  } else if (mode == kPickLine) {
    const int beam = PickBeamAt(pick_tables_, projection, x, y);
    if (beam < 0) return;
    selection_.last_beam = beam;
    ToggleSorted(selection_.beams, beam);
  } else {
    const int facet = PickFacetAt(pick_tables_, projection, x, y);
    if (facet < 0) return;
    selection_.last_facet = facet;
    ApplyFacetPick(selection_, pick_tables_, facet, mode);
  }
  FeedPickToCommand(commands_);
  view_widget_->update();
}

bool MainWindow::RunSelectionCommand(int id) {
  switch (id) {
    case kCmdSelectNone:
      ClearSelection(selection_);
      break;
    case kCmdSelectInvert:
      InvertSelection(selection_, pick_tables_);
      break;
    case kCmdSelectStatistics:
      PrintSelectedFacetCount(selection_.facets);
      return true;
    case kCmdJournal:
      ShowJournal();
      return true;
    default:
      return false;
  }
  view_widget_->RedrawView();
  return true;
}

void MainWindow::ShowJournal() {
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("Journal"));
  dialog.setWindowTitle(QStringLiteral("Journal"));
  auto* text = new QPlainTextEdit(QString::fromStdString(JournalText(journal_)), &dialog);
  text->setReadOnly(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, &dialog);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(text);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  connect(buttons->button(QDialogButtonBox::Save), &QPushButton::clicked, &dialog, [this, &dialog] {
    int filter = 1;
    std::string path = state_.job_title + ".kvj";
    if (!RunFileDialog(&dialog, "Save journal", {"Command journal (*.kvj)"}, true, &filter, &path)) return;
    if (WriteJournalFile(journal_, path) != 1) ShowStop(&dialog, "Unable to write file: " + path);
  });
  dialog.resize(520, 400);
  dialog.exec();
}

void MainWindow::EchoPanesToStandardOutput() {
  auto echo = [](QPlainTextEdit* pane, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    if (pane) pane->appendPlainText(QString::fromStdString(line));
  };
  SetOutputSink([this, echo](const std::string& line) { echo(output_, line); });
  SetInputSink([this, echo](const std::string& line) { echo(input_, line); });
}

int MainWindow::ReplayJournal(const std::string& path, std::string* error) {
  commands_.refresh_tables();
  replaying_ = true;
  const int rc = ReplayJournalFile(commands_, path, error);
  EndCommand(commands_);
  replaying_ = false;
  view_widget_->Invalidate();
  return rc;
}

}  // namespace kv
