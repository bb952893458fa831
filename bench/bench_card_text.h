// Card texts shared by the benchmarks of the program's windows.
#pragma once

#include <string>

namespace qv::bench {

// Japanese card texts of about 30 characters (code page 932).
inline std::string CardText(int i) {
    static const char* const kWords[] = {
        "\x83\x41\x83\x43\x83\x66\x83\x41",          // アイデア
        "\x89\xb9\x90\xba\x82\xc5\x83\x81\x83\x82",  // 音声でメモ
        "\x8e\xca\x90\x5e\x82\xa9\x82\xe7",          // 写真から
        "\x95\xb6\x8e\x9a\x82\xf0\x93\xc7\x82\xde",  // 文字を読む
        "\x83\x4a\x81\x5b\x83\x68",                  // カード
        "\x90\x46\x82\xc5\x95\xaa\x97\xde",          // 色で分類
    };
    std::string text;
    for (int w = 0; w < 6; ++w)
        text += kWords[(i * 7 + w * 5) % 6];
    return text + std::to_string(i);
}

}  // namespace qv::bench
