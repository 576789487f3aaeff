#include "main_form_fixture.h"

#include <QTest>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "ui/main/subscriber_grid_model.h"
#include "ui/main/subscriber_grid_view.h"

namespace tulvo::test {

void MainFormTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("tulvo_ui_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
            std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "sys");
    store_ = std::make_unique<RegistryStore>((dir_ / "MTulvo.reg").string());
    ports_ = std::make_unique<SerialPorts>(dir_ / "sys");
    context_ = std::make_unique<AppContext>(AppContext{.image = image_,
                                                       .store = *store_,
                                                       .op = op_,
                                                       .ports = *ports_,
                                                       .linkSpeed = LinkSpeed::Short(),
                                                       .dataDir = dir_.string()});
}

void MainFormTest::TearDown() {
    form_.reset();
    std::filesystem::remove_all(dir_);
}

TForm1& MainFormTest::Form() {
    if (!form_) {
        form_ = std::make_unique<TForm1>(*context_);
        form_->show();
        QApplication::processEvents();
    }
    return *form_;
}

TForm1& MainFormTest::Restart() {
    form_.reset();
    store_ = std::make_unique<RegistryStore>((dir_ / "MTulvo.reg").string());
    context_ = std::make_unique<AppContext>(AppContext{.image = image_,
                                                       .store = *store_,
                                                       .op = op_,
                                                       .ports = *ports_,
                                                       .linkSpeed = LinkSpeed::Short(),
                                                       .dataDir = dir_.string()});
    return Form();
}

void MainFormTest::PutSubscriber(int n, std::uint32_t id, const std::string& name,
                                 const std::string& phone) {
    AbInfoRecord info = image_.AbInfo(n);
    info.SetFLAG(AbInfoRecord::kActivation | AbInfoRecord::kLongDistance);
    info.SetID(id);
    info.SetLM(0x38 | 0x03);
    info.SetDL(0);
    info.SetGr(0x04);
    info.SetLimIn(60);
    info.SetLimOut(120);
    info.SetPassword("1234");
    image_.Name(n).AbFNS = name;
    image_.Name(n).AbIdCod = static_cast<std::int32_t>(id);
    AbPhoneRecord record = image_.AbPhone(n);
    record.SetFlagPhone(0);
    record.SetPhoneIn(phone);
    if (form_) {
        form_->FillGrid();
    }
}

void MainFormTest::ClickRow(int n) {
    auto* grid = Form().findChild<SubscriberGridView*>("StringGrid1");
    const QModelIndex cell = grid->model()->index(n - 1, SubscriberGridModel::kName);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
}

std::string MainFormTest::RegistryText() const {
    std::ifstream in(dir_ / "MTulvo.reg", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace tulvo::test
