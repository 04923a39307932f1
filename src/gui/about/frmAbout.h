#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class ProcessStarter;
class QPlainTextEdit;
class QVBoxLayout;
class Registry;

// The about box: title, version, the map folder in use, the format files
// found beside its maps and what is doubtful in the open file's map or
// formats, description, and a button that starts the
// system-information program.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // registry and starter default to the system's own; tests pass fakes.
    explicit frmAbout(QWidget* parent = nullptr, Registry* registry = nullptr,
                      ProcessStarter* starter = nullptr);
    ~frmAbout() override;

    // The folders this run looks for map files in; until set, those of a run
    // started in the current folder.
    void setMapFolders(const std::vector<std::string>& folders);

    void StartSysInfo();
    // The warnings of the map the open file uses, one a line (txtMapWarnings,
    // shown only when there are some).
    void setMapWarnings(const QStringList& lines);

private:
    // The title, the version, the maps read and the description, one under another.
    QVBoxLayout* makeTexts();
    void fitSize();

    QPlainTextEdit* mapWarnings_ = nullptr;
    std::unique_ptr<Registry> ownRegistry_;
    std::unique_ptr<ProcessStarter> ownStarter_;
    Registry* registry_ = nullptr;
    ProcessStarter* starter_ = nullptr;
    QLabel* maps_ = nullptr;
    QLabel* formats_ = nullptr;
};
