#include "gui/platform/platform.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSurfaceFormat>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QUrl>

namespace kv {

bool AskYesNo(QWidget* parent, const std::string& text, bool default_no) {
  QMessageBox box(QMessageBox::Question, kProductCaption, QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(default_no ? QMessageBox::No : QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void ShowStop(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, kProductCaption, QString::fromStdString(text), QMessageBox::Ok, parent);
  box.exec();
}

bool RunFileDialog(QWidget* parent, const std::string& caption, const std::vector<std::string>& filters, bool save,
                   int* filter_index, std::string* path) {
  QFileDialog dialog(parent, QString::fromStdString(caption));
  QStringList names;
  for (const std::string& f : filters) names << QString::fromStdString(f);
  dialog.setNameFilters(names);
  if (*filter_index >= 1 && *filter_index <= static_cast<int>(filters.size())) {
    dialog.selectNameFilter(names[*filter_index - 1]);
  }
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!path->empty()) dialog.selectFile(QString::fromStdString(*path));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  *path = dialog.selectedFiles().first().toStdString();
  // The toolkit reports the chosen filter by its text; every text is distinct.
  const int chosen = static_cast<int>(names.indexOf(dialog.selectedNameFilter()));
  *filter_index = chosen >= 0 ? chosen + 1 : 1;
  return true;
}

void SetDefaultGlFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setRedBufferSize(8);
  format.setGreenBufferSize(8);
  format.setBlueBufferSize(8);
  format.setDepthBufferSize(24);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  QSurfaceFormat::setDefaultFormat(format);
}

void PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void SetBusyCursor(bool busy) {
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

bool ShowHelpWindow(QWidget* parent, const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.exists() || !file.open(QIODevice::ReadOnly)) return false;
  file.close();
  auto* window = new QDialog(parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(QStringLiteral("KAVITRON Help"));
  window->resize(640, 520);
  auto* browser = new QTextBrowser(window);
  browser->setOpenExternalLinks(false);
  browser->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
  window->show();
  return true;
}

}  // namespace kv

