#include "catalogue/entry_text.h"

namespace brindlecot::entry_text {

LineReader::LineReader(std::string_view bytes) : m_rest(bytes.substr(0, bytes.find(kEndOfInput))) {}

bool LineReader::Next(std::string_view& line) {
    const size_t lf = m_rest.find('\n');
    if (lf == std::string_view::npos) {
        m_rest = {};  // a final line without a line end is dropped
        return false;
    }
    // A CR just before the LF belongs to the CR LF pair; any other CR is a byte of the line.
    const size_t end = (lf > 0 && m_rest[lf - 1] == '\r') ? lf - 1 : lf;
    line = m_rest.substr(0, end);
    m_rest.remove_prefix(lf + 1);
    return true;
}

namespace {
bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
}  // namespace

std::string_view TrimTrailingWhiteSpace(std::string_view text) {
    size_t n = text.size();
    while (n > 0 && IsWhiteSpace(text[n - 1]))
        --n;
    return text.substr(0, n);
}

ParsedLine ParseLine(std::string_view line) {
    const std::string_view trimmed = TrimTrailingWhiteSpace(line);
    const size_t eq = trimmed.find('=');
    const std::string_view key = trimmed.substr(0, eq);
    ParsedLine parsed;
    if (eq != std::string_view::npos)
        parsed.value = trimmed.substr(eq + 1);
    if (key == kTitleKey) {
        parsed.key = Key::Title;
    } else if (key == kTargetKey) {
        parsed.key = Key::Target;
    } else if (key == kSortOrderKey) {
        parsed.key = Key::SortOrder;
    }
    return parsed;
}

void AppendTextMode(std::string& out, std::string_view text) {
    for (;;) {
        const size_t lf = text.find('\n');
        out.append(text.substr(0, lf));
        if (lf == std::string_view::npos)
            return;
        out.append("\r\n");
        text.remove_prefix(lf + 1);
    }
}

void Writer::AddEntry(std::string_view title, std::string_view target, std::string_view sortOrder) {
    // As the Part builds it: the header once, then per entry a line feed before each of its
    // three lines and one after the last, so that one empty line separates two groups.
    if (!m_bHeaderWritten) {
        m_buffer.assign(kHeader);
        m_bHeaderWritten = true;
    }
    for (const auto& [key, value] : {std::pair{kTitleKey, title}, std::pair{kTargetKey, target},
                                     std::pair{kSortOrderKey, sortOrder}}) {
        m_buffer.append("\n").append(key).append("=").append(value);
    }
    m_buffer.append("\n");
    AppendTextMode(m_bytes, m_buffer);
    m_buffer.clear();
}

}  // namespace brindlecot::entry_text
