// The encodings a file's text is read in, and a search's choice of one.
#ifndef TOLVANE_ENGINE_ENCODING_H
#define TOLVANE_ENGINE_ENCODING_H

// In the order the 文字コード list offers them, after 自動判定.
enum Encoding { kCp932, kUtf8, kUtf16Le, kUtf16Be, kEucJp, kIso2022Jp };

// What a search reads files as: each file's encoding as its bytes tell it,
// or one encoding for every file without a byte-order mark (a mark still
// decides for a file that has one).
enum EncodingChoice { kAutoDetect = -1 };

#endif
