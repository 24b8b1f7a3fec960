// The baseline of adding one file to a project: pugixml alone loads the project document,
// appends one source file to it and saves it. bench/compare times it as a whole process.

#include <pugixml.hpp>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: pugixml_append PROJECT.aps FILE\n", stderr);
        return 2;
    }
    pugi::xml_document document;
    if (!document.load_file(argv[1])) {
        return 1;
    }
    pugi::xml_node files = document.child("AVRStudio").child("AVRTAZUPLUGIN").child("FILES");
    files.append_child("SOURCEFILE").text().set(argv[2]);
    return document.save_file(argv[1], "\t") ? 0 : 1;
}
