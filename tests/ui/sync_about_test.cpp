#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>

#include "about/form4.h"

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
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST(AboutBox, LinkClickOpensWebAddressAndBoxStaysOpen) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    TForm4 form;
    form.show();
    QLabel* link = form.findChild<QLabel*>("Label5");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains(QUrl(TForm4::kWebAddress).host()));

    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());

    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened.front(), QUrl(TForm4::kWebAddress));
    EXPECT_TRUE(form.isVisible());
}

}  // namespace
}  // namespace tulvo::test

#include "sync_about_test.moc"
