// Title discs for the tests: a catalogue, pictures by kind and number, and
// music tracks, written under a drive's root through the Win32 file calls.
#pragma once

#include <string>
#include <vector>

#include "support/builders.h"

class TitleDiscBuilder {
public:
    explicit TitleDiscBuilder(std::string root) : root_(std::move(root)) {}
    const std::string &root() const { return root_; }

    // The catalogue from its UTF-8 text (CatalogueText), written in code page 932.
    void Catalogue(const std::string &text);
    // The file of a picture kind (1 to 5, 12, 13) for a content and number.
    std::string Picture(int kind, int content, int number, const Bytes &file);
    void Track(int number, unsigned milliseconds, const std::string &soundDir = "DAT\\SOUND\\S\\");
    void File(const std::string &relative, const Bytes &bytes);
    // Removes everything written, folders included.
    void Remove();

private:
    std::string root_;
    std::vector<std::string> files_, folders_;
};
