#include "shell/form2.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "common/product.h"
#include "shell/enter_key.h"
#include "shell/fit_font.h"
#include "shell/program_icon.h"
#include "shell/twips.h"

namespace kolumbra::shell {

Form2::Form2(QWidget* parent) : QDialog(parent) {
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("Ver 情報"));
    setFixedSize(Pixels(2865), Pixels(1605));

    auto* image1 = new QLabel(this);
    image1->setObjectName("Image1");
    image1->setPixmap(ProgramIconPixmap(Pixels(465)));
    PlaceAt(image1, 105, 120, 465, 465);

    auto* label1 = new QLabel(QString::fromUtf8(ProductName) + "  Ver" + ProductVersion, this);
    label1->setObjectName("Label1");
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSize(9);
    label1->setFont(bold);
    PlaceAt(label1, 690, 150, 2130, 225);
    ShrinkToFit(label1, Pixels(2130));

    // The texts are worded to fit their boxes at 9 points; labels do not wrap.
    auto* label2 = new QLabel(QStringLiteral("製作：Kolumbra 開発ﾁｰﾑ"), this);
    label2->setObjectName("Label2");
    PlaceAt(label2, 675, 360, 2010, 225);
    ShrinkToFit(label2, Pixels(2010));

    auto* label3 = new QLabel(QStringLiteral("ご質問やﾚｲｱｳﾄのｶｽﾀﾏｲｽﾞ依頼は\n"
                                             "開発ﾁｰﾑの窓口までどうぞ。"),
                              this);
    label3->setObjectName("Label3");
    PlaceAt(label3, 45, 675, 2805, 555);
    ShrinkToFit(label3, Pixels(2805));

    auto* command1 = new QPushButton(QStringLiteral("戻る"), this);
    command1->setObjectName("Command1");
    QFont small = font();
    small.setPointSizeF(8.25);
    command1->setFont(small);
    PlaceAt(command1, 60, 1320, 2745, 255);
    connect(command1, &QPushButton::clicked, this, &QDialog::accept);
    EnterPressesFocusedButton(this);
}

}  // namespace kolumbra::shell
