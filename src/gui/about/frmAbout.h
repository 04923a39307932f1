#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class ProcessStarter;
class Registry;

// The about box: title, version, the map folder in use, description, and a
// button that starts the system-information program.
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

private:
    std::unique_ptr<Registry> ownRegistry_;
    std::unique_ptr<ProcessStarter> ownStarter_;
    Registry* registry_ = nullptr;
    ProcessStarter* starter_ = nullptr;
    QLabel* maps_ = nullptr;
};
