#include "exporter/ExporterConfig.h"

#include "serial/PortNames.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <map>

namespace zelt {

namespace {

const QString PlantPrefix = QStringLiteral("plant-");

[[noreturn]] void Refuse(const QString& message)
{
    throw ConfigError(message.toStdString());
}

bool IsLabelName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[a-zA-Z_][a-zA-Z0-9_]*$"));
    static const QStringList reserved{"plant", "unit", "alarm", "block", "setting"};
    return pattern.match(name).hasMatch() && !reserved.contains(name) && !name.startsWith(QLatin1String("__"));
}

// "site=north-01,region=east"; QSettings hands a value with commas over as a list.
std::map<std::string, std::string> ReadLabels(const QString& group, const QStringList& pairs)
{
    std::map<std::string, std::string> labels;
    for (const QString& pair : pairs) {
        if (pair.trimmed().isEmpty())
            continue;
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const QString name = pair.left(eq).trimmed();
        if (eq < 0 || !IsLabelName(name))
            Refuse(QStringLiteral("[%1]: \"%2\" is not a label: name=value, a name of letters, digits and "
                                  "underscores, not plant, unit, alarm, block or setting")
                       .arg(group, pair));
        if (!labels.emplace(name.toStdString(), pair.mid(eq + 1).trimmed().toStdString()).second)
            Refuse(QStringLiteral("[%1]: label %2 given twice").arg(group, name));
    }
    return labels;
}

// QSettings merges a group or key given twice without a word: such a file
// is refused here, naming the line.
void RefuseRepeats(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(QStringLiteral("%1: cannot read the file").arg(path));
    std::map<QString, int> groups; // group -> line it starts on
    QString group;
    std::map<QString, int> keys; // of the current group
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2).trimmed();
            const auto [at, added] = groups.emplace(group, number);
            if (!added)
                Refuse(QStringLiteral("%1:%2: [%3] given twice (first on line %4)")
                           .arg(path).arg(number).arg(group).arg(at->second));
            keys.clear();
            continue;
        }
        const QString key = line.left(line.indexOf(QLatin1Char('='))).trimmed();
        const auto [at, added] = keys.emplace(key, number);
        if (!added)
            Refuse(QStringLiteral("%1:%2: key %3 given twice in [%4] (first on line %5)")
                       .arg(path).arg(number).arg(key, group).arg(at->second));
    }
}

bool IsLine(const QString& line)
{
    return line.startsWith(QLatin1Char('/')) || ParseNetworkLine(line).has_value();
}

} // namespace

ExporterConfig ReadExporterConfig(const QString& path)
{
    if (!QFileInfo(path).isReadable())
        Refuse(QStringLiteral("%1: cannot read the file").arg(path));
    RefuseRepeats(path);
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        Refuse(QStringLiteral("%1: not an INI file").arg(path));
    if (!file.childKeys().isEmpty())
        Refuse(QStringLiteral("%1: key %2 outside a [plant-NAME] group").arg(path, file.childKeys().first()));

    ExporterConfig config;
    for (const QString& group : file.childGroups()) {
        if (!group.startsWith(PlantPrefix) || group.size() == PlantPrefix.size())
            Refuse(QStringLiteral("%1: [%2] is not a [plant-NAME] group").arg(path, group));
        file.beginGroup(group);
        for (const QString& key : file.childKeys())
            if (key != QLatin1String("line") && key != QLatin1String("labels"))
                Refuse(QStringLiteral("[%1]: unknown key %2").arg(group, key));
        PlantConfig plant;
        plant.name = group.mid(PlantPrefix.size()).toStdString();
        plant.line = file.value(QStringLiteral("line")).toString().trimmed();
        if (!IsLine(plant.line))
            Refuse(QStringLiteral("[%1]: line must be a device path, tcp://HOST:PORT or rfc2217://HOST:PORT")
                       .arg(group));
        const std::map<std::string, std::string> labels =
            ReadLabels(group, file.value(QStringLiteral("labels")).toStringList());
        file.endGroup();

        std::vector<std::string> names;
        for (const auto& [name, value] : labels) {
            names.push_back(name);
            plant.labelValues.push_back(value);
        }
        if (config.plants.empty())
            config.labelNames = names;
        else if (names != config.labelNames)
            Refuse(QStringLiteral("[%1]: every plant must have the same label names as [plant-%2]")
                       .arg(group, QString::fromStdString(config.plants.front().name)));
        config.plants.push_back(std::move(plant));
    }
    return config;
}

} // namespace zelt
