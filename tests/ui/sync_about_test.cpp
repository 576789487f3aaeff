#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>

#include "program_version.h"
#include "ui/about/form4.h"
#include "ui/app_icon.h"

namespace tulvo::test {
namespace {

// Receives what the About box asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;

  public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

TEST(AboutBox, NamesProgramAndVersion) {
    TForm4 form;
    EXPECT_EQ(form.windowTitle(), "О порграмме");
    EXPECT_EQ(form.findChild<QLabel*>("Label1")->text(), "Конфигуратор");
    EXPECT_EQ(form.findChild<QLabel*>("Label2")->text(), "TulvoUniversal");
    EXPECT_EQ(form.findChild<QLabel*>("Label3")->text(), "V2.08.14");
    EXPECT_EQ(form.findChild<QLabel*>("BuildVersion")->text(),
              QStringLiteral("Сборка ") + kProgramVersion);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    // One picture for the program: the logo is its icon.
    EXPECT_EQ(form.findChild<QLabel*>("Image1")->pixmap().toImage(),
              AppIcon().pixmap(256, 256).toImage());
}

// The maker's address has no site behind it: it is shown as plain text, and
// a click opens nothing.
TEST(AboutBox, AddressIsPlainTextThatOpensNothing) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    QDesktopServices::setUrlHandler("http", &catcher, "Open");
    TForm4 form;
    form.show();
    QLabel* address = form.findChild<QLabel*>("Label5");
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(address->text(), QString::fromLatin1(TForm4::kWebAddress));
    EXPECT_EQ(address->textFormat(), Qt::PlainText);
    EXPECT_FALSE(address->openExternalLinks());

    QTest::mouseClick(address, Qt::LeftButton, {}, address->rect().center());

    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("http");
    EXPECT_TRUE(catcher.opened.isEmpty());
    EXPECT_TRUE(form.isVisible());
}

}  // namespace
}  // namespace tulvo::test

#include "sync_about_test.moc"
