# Writes OUT, a C++ source holding every PNG of DIR (named bitmap-<number>.png) as bytes, with the
# library's lookup of a picture by number.
file(GLOB pictures "${DIR}/bitmap-*.png")
list(SORT pictures)
set(source "// Written at build time from resources/pictures: the library's pictures as PNG bytes.\nnamespace {\n\n")
set(table "")
foreach(picture ${pictures})
    get_filename_component(name ${picture} NAME_WE)
    string(REPLACE "bitmap-" "" id ${name})
    file(READ ${picture} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n    " bytes "${bytes}")
    string(APPEND source "const unsigned char kBitmap${id}[] = {\n    ${bytes}\n};\n\n")
    string(APPEND table "    {${id}, kBitmap${id}, sizeof kBitmap${id}},\n")
endforeach()
string(APPEND source "struct Picture {\n    unsigned id;\n    const unsigned char* bytes;\n    unsigned size;\n};\n\n")
string(APPEND source "const Picture kPictures[] = {\n${table}};\n\n} // namespace\n\n")
string(APPEND source [=[
extern "C" __attribute__((visibility("default"))) const unsigned char* cmrtLoadBitmap(unsigned id, unsigned* size)
{
    for (const Picture& picture : kPictures)
        if (picture.id == id) {
            if (size)
                *size = picture.size;
            return picture.bytes;
        }
    if (size)
        *size = 0;
    return nullptr;
}
]=])
file(WRITE ${OUT}.tmp "${source}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
