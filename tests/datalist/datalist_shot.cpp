// Developer tool: shows the data list window over a dozen Japanese items, at the size it opens
// with on an empty settings store, and saves what it looks like as a PNG. Run it under a real X
// server (Xvfb) to see the fonts and widgets a user sees:
//   xvfb-run -a build/tests/datalist/zarvo_datalist_shot shot.png [end] [sort]
// With "end" it opens on the last item, the trailing row in sight; with "sort", the sort dialog is
// shown over it and saved too, as shot-sort.png.
#include "component/picture/text.h"
#include "datalist/datalist.h"
#include "datalist/sort.h"
#include "shared/cp932.h"
#include "tests/datalist/fakehost.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zarvo::component::InstallFontSubstitutions();
    if (argc < 2) {
        std::fprintf(stderr, "usage: zarvo_datalist_shot OUT.png [end] [sort]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    zarvo::datalist::FakeHost host;
    const char* const items[][3] = {
        {"東京タワー", "電波塔", "港区芝公園"},     {"スカイツリー", "634m", "墨田区押上"},
        {"富士山", "日本一の山", "標高3776m"},      {"大阪城", "", "中央区大阪城"},
        {"金閣寺", "鹿苑寺", "京都市北区"},         {"https://example.jp/", "ＵＲＬ", ""},
        {"ＱＲコード", "全角英字", "半角ｶﾅ"},       {"札幌時計台", "北海道", "中央区"},
        {"厳島神社", "世界遺産", "廿日市市"},       {"０１２３４５６７８９", "数字", ""},
        {"名古屋城", "金のしゃちほこ", "中区本丸"}, {"那覇①", "沖縄県", "～髙島屋～"},
    };
    for (const auto& item : items)
        host.list.Append(zarvo::shared::Utf8ToCp932(item[0]), zarvo::shared::Utf8ToCp932(item[1]),
                         zarvo::shared::Utf8ToCp932(item[2]));
    const auto given = [&](const char* word) {
        for (int i = 2; i < argc; ++i)
            if (std::strcmp(argv[i], word) == 0)
                return true;
        return false;
    };
    host.itemIndex = given("end") ? host.list.Count() - 1 : 2;
    zarvo::datalist::TDataListForm form(host);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    QTest::qWait(300);
    if (!form.grab().save(out))
        return 1;
    if (given("sort")) {
        zarvo::datalist::TSortForm sort(host.sortKey, host.sortOrder, &form);
        sort.show();
        if (!QTest::qWaitForWindowExposed(&sort))
            return 1;
        QTest::qWait(300);
        QString sortOut = out;
        sortOut.replace(QStringLiteral(".png"), QStringLiteral("-sort.png"));
        if (!sort.grab().save(sortOut))
            return 1;
    }
    return 0;
}
