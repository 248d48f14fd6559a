// libFuzzer target for the equation readers of .doc files: any bytes, read as an Equation
// Native stream, as MathML and as an EQ field code, either give a text or are refused.

#include "office/word/doc/mathmlequation.h"
#include "office/word/doc/mtefequation.h"
#include "office/word/model/eqfieldtext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    MtefEquation::fromEquationNative(bytes);
    MtefEquation::fromMtef(bytes);
    MathMlEquation::fromMathMl(bytes);
    EqFieldText::linear(QString::fromUtf8(bytes));
    return 0;
}
