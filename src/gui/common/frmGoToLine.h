#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;

// Go to Line/Byte: a line number, or a byte position written "@byte". What
// is out of the file's range is told in the dialog (lblGoToError), which
// stays open until the user gives a place there is, or cancels.
class frmGoToLine : public QDialog {
    Q_OBJECT
public:
    struct Target {
        std::int64_t line = 0;     // 1-based; 0 when a byte was given
        std::int64_t position = 0; // 1-based byte position; 0 when a line was given
    };

    // lines, bytes: the file's; 0 when not known (that end is not checked).
    frmGoToLine(std::int64_t lines, std::int64_t bytes, QWidget* parent = nullptr);

    // Reads text as a target; false, with the reason in error, when it is
    // none or lies beyond lines or bytes (0: not known).
    static bool parse(const QString& text, std::int64_t lines, std::int64_t bytes, Target& target,
                      QString& error);
    const Target& target() const { return target_; }

    void accept() override;

private:
    QLineEdit* text_ = nullptr;
    QLabel* error_ = nullptr;
    std::int64_t lines_;
    std::int64_t bytes_;
    Target target_;
};
