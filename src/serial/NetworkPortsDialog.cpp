#include "serial/NetworkPortsDialog.h"

#include "serial/PortNames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace zelt {

namespace {

QString PortName(int index)
{
    return QStringLiteral("COM%1").arg(index + 1);
}

} // namespace

NetworkPortsDialog::NetworkPortsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NetworkPortsDialog"));
    setWindowTitle(QStringLiteral("Network ports"));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Opens now"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Network address (tcp://HOST:PORT or rfc2217://HOST:PORT)"), this), 0, 2);
    for (int i = 0; i < kPortCount; ++i) {
        const QString name = PortName(i);
        auto* caption = new QLabel(name, this);
        auto* target = new QLabel(PortTarget(name), this);
        target->setObjectName(QStringLiteral("lblTarget") + name);
        urls_[i] = new QLineEdit(MappedPortUrl(name), this);
        urls_[i]->setObjectName(QStringLiteral("edtUrl") + name);
        urls_[i]->setAccessibleName(name);
        urls_[i]->setClearButtonEnabled(true);
        urls_[i]->setMinimumWidth(260);
        caption->setBuddy(urls_[i]);
        grid->addWidget(caption, i + 1, 0);
        grid->addWidget(target, i + 1, 1);
        grid->addWidget(urls_[i], i + 1, 2);
    }

    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("lblError"));
    error_->setStyleSheet(QStringLiteral("color: red"));

    auto* save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName(QStringLiteral("btnSave"));
    save->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(save, &QPushButton::clicked, this, &NetworkPortsDialog::SaveClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(error_);
    layout->addLayout(buttons);
}

void NetworkPortsDialog::SaveClick()
{
    for (int i = 0; i < kPortCount; ++i) {
        const QString url = urls_[i]->text().trimmed();
        if (!url.isEmpty() && !ParseNetworkLine(url)) {
            error_->setText(PortName(i) + QStringLiteral(": not tcp://HOST:PORT or rfc2217://HOST:PORT with a port "
                                                         "from 1 to 65535"));
            urls_[i]->setFocus();
            return;
        }
    }
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"),
                       QStringLiteral("zelt6380"));
    settings.beginGroup(QStringLiteral("ports"));
    for (int i = 0; i < kPortCount; ++i) {
        if (const QString url = urls_[i]->text().trimmed(); url.isEmpty())
            settings.remove(PortName(i));
        else
            settings.setValue(PortName(i), url);
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        error_->setText(QStringLiteral("Cannot write ") + settings.fileName());
        return;
    }
    accept();
}

} // namespace zelt
