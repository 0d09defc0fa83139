#include "ProgressBoard.h"

#include <cstring>

namespace hostsim {
namespace {

template <std::size_t N>
void Put(char (&field)[N], const std::string& text) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

template <std::size_t N>
std::string Get(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

}  // namespace

ProgressBoard ProgressBoard::Create(const std::wstring& name) {
    return ProgressBoard(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(Board), name.c_str()));
}

ProgressBoard ProgressBoard::Open(const std::wstring& name) {
    if (name.empty()) return ProgressBoard();
    return ProgressBoard(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()));
}

ProgressBoard::ProgressBoard(HANDLE mapping) : mapping_(mapping) {
    if (mapping_)
        view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Board)));
}

void ProgressBoard::SetGroup(const std::string& group) {
    if (Mapped()) Put(Mapped()->group, group);
}

void ProgressBoard::SetCall(const std::string& call) {
    if (Mapped()) Put(Mapped()->call, call);
}

std::string ProgressBoard::Group() const {
    return Mapped() ? Get(Mapped()->group) : "";
}

std::string ProgressBoard::Call() const {
    return Mapped() ? Get(Mapped()->call) : "";
}

}  // namespace hostsim
