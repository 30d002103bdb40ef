#include "diagnostics/sourcetext.h"

#include "diagnostics/mnemonic.h"

namespace diagnostics
{

namespace
{

// What splits words: the ASCII white space that \s matches without Unicode properties.
bool separates(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

qint32 bytesOf(QStringView text, qsizetype at, qsizetype &step)
{
    const char16_t u = text[at].unicode();
    step = 1;
    if (u < 0x80)
        return 1;
    if (u < 0x800)
        return 2;
    if (QChar::isHighSurrogate(u) && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        step = 2;
        return 4;
    }
    return 3;
}

} // namespace

Range SourceLine::whole() const
{
    return Range{number, 0, utf8Length(text)};
}

qint32 utf8Length(QStringView text)
{
    qint32 bytes = 0;
    qsizetype step = 1;
    for (qsizetype at = 0; at < text.size(); at += step)
        bytes += bytesOf(text, at, step);
    return bytes;
}

qsizetype charsBefore(QStringView text, qint32 bytes)
{
    qint32 counted = 0;
    qsizetype step = 1;
    qsizetype at = 0;
    for (; at < text.size(); at += step) {
        const qint32 next = counted + bytesOf(text, at, step);
        if (next > bytes)
            break;
        counted = next;
    }
    return at;
}

namespace
{

// The roles of a line's words, as the assembler reads a line of each shape.
void assignRoles(Word *words, qsizetype size)
{
    const auto mnemonic = [&](qsizetype at) { return words[at].mnemonic() != nullptr; };
    switch (size) {
    case 1:
        if (mnemonic(0))
            words[0].role = Role::Mnemonic;
        break;
    case 2:
        if (mnemonic(0) && !mnemonic(1)) {
            words[0].role = Role::Mnemonic;
            words[1].role = Role::Operand; // the operand of an unlabelled DAT is read as a label
        } else if (!mnemonic(0) && mnemonic(1)) {
            words[0].role = Role::Label;
            words[1].role = Role::Mnemonic;
        }
        break;
    case 3:
        if (!mnemonic(0) && mnemonic(1)) {
            words[0].role = Role::Label;
            words[1].role = Role::Mnemonic;
            words[2].role = isData(words[1].mnemonic()) ? Role::Value : Role::Operand;
        }
        break;
    default:
        break;
    }
}

} // namespace

SourceText::SourceText(const QString &text) : text_(text)
{
    const QStringView all(text_);
    // One look at every character first, for the number of lines and for
    // room for every word and every key at once, so that they never move:
    // no more words than runs of characters that do not split words, and no
    // more characters in keys (of ASCII words, as long as the words) than in
    // those runs. Just that much, so that an editor checking one text after
    // another gets the same memory back each time.
    qsizetype lineFeeds = 0;
    qsizetype runs = 0;
    qsizetype inWords = 0;
    bool inRun = false;
    for (const QChar c : all) {
        const bool inWord = !separates(c);
        lineFeeds += c == u'\n';
        runs += inWord && !inRun;
        inWords += inWord;
        inRun = inWord;
    }
    appendedLine_ = qint32(lineFeeds) + (all.isEmpty() || all.endsWith(u'\n') ? 1 : 2);
    lines_.reserve(appendedLine_);
    words_.reserve(std::size_t(runs));
    keys_.reserve(std::size_t(inWords));
    qint32 number = 0;
    qsizetype start = 0;
    while (start <= all.size()) {
        qsizetype stop = all.indexOf(u'\n', start);
        if (stop < 0)
            stop = all.size();
        ++number;
        if (stop > start) {
            SourceLine line;
            line.number = number;
            line.text = all.sliced(start, stop - start);
            // Trimmed as QString::trimmed trims, then split at ASCII white space.
            qsizetype first = 0;
            qsizetype last = line.text.size();
            while (first < last && line.text[first].isSpace())
                ++first;
            while (last > first && line.text[last - 1].isSpace())
                --last;
            qint32 bytes = 0;
            qsizetype step = 1;
            for (qsizetype at = 0; at < first; at += step)
                bytes += bytesOf(line.text, at, step);
            const qsizetype firstWord = qsizetype(words_.size());
            qsizetype at = first;
            while (at < last) {
                if (separates(line.text[at])) {
                    bytes += 1;
                    ++at;
                    continue;
                }
                Word word;
                word.begin = bytes;
                const qsizetype wordStart = at;
                bool ascii = true;
                bool lowerCase = false;
                while (at < last && !separates(line.text[at])) {
                    const char16_t u = line.text[at].unicode();
                    lowerCase = lowerCase || (u >= u'a' && u <= u'z');
                    ascii = ascii && u < 0x80;
                    bytes += bytesOf(line.text, at, step);
                    at += step;
                }
                word.end = bytes;
                word.written_ = line.text.data() + wordStart;
                word.writtenSize_ = qint32(at - wordStart);
                setKey(word, ascii, lowerCase);
                if (const machine::Instruction *row = rowOf(word.key()))
                    word.row_ = qint8(row - machine::kInstructionSet.data());
                words_.push_back(word);
            }
            Word *lineWords = words_.data() + firstWord;
            const qsizetype count = qsizetype(words_.size()) - firstWord;
            assignRoles(lineWords, count);
            line.words = Words(lineWords, count);
            lines_.append(line);
        }
        start = stop + 1;
    }
    // Nothing outgrew its room, so nothing moved.
    Q_ASSERT(qsizetype(words_.size()) <= runs && qsizetype(keys_.size()) <= inWords);
    for (qint32 k = 0; k < lines_.size(); ++k) {
        // A line of two or three words that starts with a name and has a
        // mnemonic second defines a label, whatever else is wrong with it;
        // the first definition is the one used.
        const Words &words = lines_[k].words;
        if (!words.isEmpty() && words[0].role == Role::Label && !labels_.contains(words[0].key()))
            labels_.insert(words[0].key(), k);
    }
}

void SourceText::setKey(Word &word, bool ascii, bool lowerCase)
{
    word.key_ = word.written_;
    if (!ascii) {
        // Its upper case may be longer ('ß' is "SS").
        ownKeys_.push_back(word.written().toString().toUpper());
        word.key_ = &ownKeys_.back();
        word.ownKey_ = true;
    } else if (lowerCase) {
        word.key_ = keys_.data() + keys_.size(); // within the room reserved
        for (const QChar c : word.written())
            keys_.push_back(c >= u'a' && c <= u'z' ? QChar(c.unicode() - (u'a' - u'A')) : c);
    }
}

const Word *SourceText::mnemonicOf(qint32 k) const
{
    for (const Word &word : lines_[k].words) {
        if (word.role == Role::Mnemonic)
            return &word;
    }
    return nullptr;
}

const Word *SourceText::operandOf(qint32 k) const
{
    for (const Word &word : lines_[k].words) {
        if (word.role == Role::Operand || word.role == Role::Value)
            return &word;
    }
    return nullptr;
}

QStringView lineOfText(QStringView source, qint32 number)
{
    qsizetype start = 0;
    for (qint32 line = 1; line < number; ++line) {
        start = source.indexOf(u'\n', start);
        if (start < 0)
            return {};
        ++start;
    }
    qsizetype stop = source.indexOf(u'\n', start);
    if (stop < 0)
        stop = source.size();
    return source.sliced(start, stop - start);
}

} // namespace diagnostics
