#include "office/xml/chunkedinput.h"

#include <algorithm>
#include <cstring>

/* The next block of the input. */
int ChunkedInput::read(void* context, char* buffer, int length) {
    auto* input = static_cast<ChunkedInput*>(context);
    const int count = std::max(0, std::min(length, input->m_data.size() - input->m_position));
    std::memcpy(buffer, input->m_data.constData() + input->m_position, static_cast<size_t>(count));
    input->m_position += count;
    return count;
}
