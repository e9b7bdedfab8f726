#include "serial/ConnectBox.h"

#include "serial/NetConnector.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QMessageBox>

namespace zelt {

std::unique_ptr<ComDevice> ConnectWithBox(const NetworkLine& line)
{
    NetConnector connector(line);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("COMM PORT"),
                    QStringLiteral("Connecting to %1\u2026").arg(line.authority), QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ConnectBox"));
    box.setWindowModality(Qt::ApplicationModal);
    QObject::connect(&connector, &NetConnector::finished, &box, [&box] { box.done(QDialog::Accepted); });
    connector.Start();
    box.exec();
    if (!connector.Finished())
        throw EAbort();
    if (std::unique_ptr<ComDevice> device = connector.TakeDevice())
        return device;
    throw *connector.Error();
}

} // namespace zelt
