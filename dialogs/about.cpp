#include "about.h"

#include "formlayout.h"
#include "placedwidgets.h"
#include "logos.h"
#include "version.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

namespace {

QLabel* textLabel(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(ArialPixels(13));
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

AboutBox::AboutBox(UrlOpener openUrl, QWidget* parent)
    : QDialog(parent, FixedDialogFlags), m_openUrl(std::move(openUrl))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    resize(398, 332);

    auto* imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(TavolanLogoPixmap());
    imgLogo->setGeometry(0, 0, 150, 61);
    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(TavolanBannerPixmap());
    image1->setGeometry(150, 0, 245, 61);

    lblAppName = new QLabel(this);
    lblAppName->setObjectName(QStringLiteral("lblAppName"));
    lblAppName->setFont(ArialPixels(27, true));
    QPalette olive = lblAppName->palette();
    olive.setColor(QPalette::WindowText, QColor(128, 128, 0));
    lblAppName->setPalette(olive);
    lblAppName->move(24, 76);

    textLabel(this, "Label1", QStringLiteral("Version:"), 24, 126);
    lblVersion = textLabel(this, "lblVersion", QString(), 96, 126);
    lblBuildDate = textLabel(this, "lblBuildDate", QString(), 24, 148);
    textLabel(this, "Label3", QStringLiteral("Website:"), 24, 178);
    Label4 = textLabel(this, "Label4", QStringLiteral("http://www.tavolan.example.com"), 96, 178);
    QFont link = ArialPixels(13);
    link.setUnderline(true);
    Label4->setFont(link);
    QPalette blue = Label4->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label4->setPalette(blue);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->adjustSize();
    Label4->installEventFilter(this);
    textLabel(this, "Label5", QStringLiteral("Contact:"), 24, 202);
    textLabel(this, "Label6", QStringLiteral("support@tavolan.example.com"), 96, 202);

    auto* credits = textLabel(this, "Label2",
                              QStringLiteral("Works with home-automation bus devices through their UDP gateways."),
                              24, 240);
    credits->setWordWrap(true);
    credits->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    credits->setFixedSize(345, 32);

    ApplyFixedFormLayout(this);
    // A wider font than the one the box was drawn with takes another line
    // rather than cutting the text off; the box has room below.
    credits->setFixedHeight(qMax(credits->height(), credits->heightForWidth(credits->width())));

    lblAppName->setText(QStringLiteral("Tavolan"));
    lblAppName->adjustSize();
    lblVersion->setText(QStringLiteral("V") + QString::fromLatin1(TavolanVersion));
    lblVersion->adjustSize();
    lblBuildDate->setText(QStringLiteral("Build June 06,2012"));
    lblBuildDate->adjustSize();

    CentreOnScreen(this, parent);
}

void AboutBox::Execute(QWidget* parent)
{
    AboutBox about(&QDesktopServices::openUrl, parent);
    about.exec();
}

void AboutBox::Label4Click()
{
    const QUrl url = QUrl::fromUserInput(Label4->text());
    if (m_openUrl)
        m_openUrl(url);
    // Visited mark.
    QPalette visited = Label4->palette();
    visited.setColor(QPalette::WindowText, QColor(128, 64, 0));
    Label4->setPalette(visited);
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label4 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
