#pragma once

// ChunkedInput: bytes held in memory, handed to a parser a block at a time through a read
// callback of the shape libxml2's xmlReadIO/htmlCtxtReadIO take. Reading from memory that
// way, the parser keeps only a window of the input instead of a copy of all of it.

#include <QByteArray>

class ChunkedInput {
public:
    // `data` must outlive the reading.
    explicit ChunkedInput(const QByteArray& data) : m_data(data) {}

    // The read callback: `context` is a ChunkedInput; copies up to `length` bytes into
    // `buffer` and returns their number (0 at the end).
    static int read(void* context, char* buffer, int length);

private:
    const QByteArray& m_data;
    int m_position = 0;
};
