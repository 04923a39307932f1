#include "gui/claimform/ClaimExport.h"

#include "core/report/ClaimReport.h"
#include "gui/common/CoreText.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"

#include <QDir>
#include <QSaveFile>
#include <sstream>
#include <streambuf>

namespace {

// Lets the engine's writers, which write to a std::ostream, write straight
// into a file: a claim of huge records is never held as text in memory.
class DeviceBuffer : public std::streambuf {
public:
    explicit DeviceBuffer(QIODevice& device)
        : device_(device) {
        setp(buffer_, buffer_ + sizeof buffer_);
    }

protected:
    int_type overflow(int_type c) override {
        if (sync() != 0)
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override {
        const qint64 size = pptr() - pbase();
        if (size > 0 && device_.write(pbase(), size) != size)
            return -1;
        setp(buffer_, buffer_ + sizeof buffer_);
        return 0;
    }

private:
    QIODevice& device_;
    char buffer_[64 * 1024];
};

} // namespace

QByteArray ClaimExport::json(const qm::AssembledClaim& claim, const std::string& key) {
    std::ostringstream out;
    qm::ClaimReport::writeJsonDocument(out, claim, key);
    return QByteArray::fromStdString(out.str());
}

bool ClaimExport::run(QWidget* parent, const qm::AssembledClaim& claim, const std::string& key,
                      const QString& folder) {
    FileDialog::SaveRequest request;
    request.objectName = QStringLiteral("dlgExportClaim");
    request.caption = QStringLiteral("Export Claim");
    request.filters = QStringList{QStringLiteral("JSON (*.json)"), QStringLiteral("CSV (*.csv)")};
    request.fileName = QDir(folder).filePath(CoreText::fromFile(key) + QStringLiteral(".json"));
    const QString path = FileDialog::getSaveFileName(parent, request);
    if (path.isEmpty())
        return false;

    // A file that is there already is replaced only once the new one is whole.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        DeviceBuffer buffer(file);
        std::ostream out(&buffer);
        if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            qm::ClaimReport::writeCsv(out, claim);
        else
            qm::ClaimReport::writeJsonDocument(out, claim, key);
        if (out.flush() && file.commit())
            return true;
    }
    MessageBoxes::showMessage(parent,
                              QStringLiteral("Unable to export the claim to %1: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()),
                              QStringLiteral("Export Claim"), qm::MessageIcon::Critical);
    return false;
}
