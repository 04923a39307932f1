#include "gui/document/RulesChoice.h"

#include "core/rules/RuleSet.h"
#include "gui/common/CoreText.h"
#include "gui/common/SettingsStore.h"

namespace {

const QString kIntegrityKey = QStringLiteral("Rules/Integrity");
const QString kFilesKey = QStringLiteral("Rules/Files");
const QString kOffKey = QStringLiteral("Rules/Off");

} // namespace

RulesChoice RulesChoice::remembered() {
    RulesChoice choice;
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return choice;
    choice.integrity = settings->value(kIntegrityKey, true).toBool();
    const QStringList off = settings->value(kOffKey).toStringList();
    for (const QString& path : settings->value(kFilesKey).toStringList())
        if (!path.isEmpty())
            choice.files.append({path, !off.contains(path)});
    return choice;
}

void RulesChoice::remember() const {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return;
    QStringList paths;
    QStringList off;
    for (const File& file : files) {
        paths.append(file.path);
        if (!file.on)
            off.append(file.path);
    }
    settings->setValue(kIntegrityKey, integrity);
    settings->setValue(kFilesKey, paths);
    settings->setValue(kOffKey, off);
}

RulesChoice::Loaded
RulesChoice::load(const std::shared_ptr<const qm::LayoutCatalogue>& layouts) const {
    Loaded loaded;
    if (!layouts)
        return loaded;
    qm::RuleSet::Builder builder(layouts);
    qm::RulesError error;
    if (integrity && !builder.addIntegrity(error))
        loaded.integrityError = CoreText::fromUtf8(error.message());
    for (const File& file : files) {
        QString why;
        // A file that does not load leaves the others weighed, as they were.
        if (file.on && !builder.addFile(CoreText::fromPath(file.path), error))
            why = CoreText::fromUtf8(error.message());
        loaded.fileErrors.append(why);
    }
    std::shared_ptr<const qm::RuleSet> rules = builder.finish();
    if (!rules->rules().empty())
        loaded.rules = std::move(rules);
    return loaded;
}
