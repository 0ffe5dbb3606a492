#include "sim/course_messages.h"

namespace trovel {

namespace {

std::u16string named(const std::u16string& file, std::u16string_view text) {
    return u"[" + file + u"]\r\n" + std::u16string(text);
}

std::u16string number(int n) {
    std::u16string digits;
    for (char c : std::to_string(n)) digits.push_back(static_cast<char16_t>(c));
    return digits;
}

}  // namespace

bool isErrorMessage(CourseProblem problem) {
    return problem != CourseProblem::CountMismatch && problem != CourseProblem::TextureFailed;
}

std::u16string courseMessageText(const CourseMessage& m) {
    switch (m.problem) {
    case CourseProblem::ConfigMissing: return u"ファイルが見つからないか開けません";
    case CourseProblem::CountMismatch: return u"画像ファイルの登録数と宣言数が異なります。";
    case CourseProblem::TextureFailed: return u"テクスチャの作成に失敗しました";
    case CourseProblem::PictureMissing: return named(m.file, u"コースの画像ファイルが見つかりませんでした。");
    case CourseProblem::NotBitmap: return named(m.file, u"画像ファイルがWindowsBitmap形式ではありません。");
    case CourseProblem::Not24Bit: return named(m.file, u"画像ファイルの形式が24ビット ビットマップではありません。");
    case CourseProblem::WrongWidth:
        return named(m.file, u"画像ファイルの横幅が" + number(m.expected) + u"ではありません。");
    case CourseProblem::WrongHeight:
        return named(m.file, u"画像ファイルの縦幅が" + number(m.expected) + u"ではありません。");
    }
    return {};
}

}  // namespace trovel
