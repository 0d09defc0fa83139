#include "ProgressBoard.h"

#include <cstring>
#include <utility>

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
    ProgressBoard board;
    board.mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(Board), name.c_str());
    if (board.mapping_)
        board.board_ = static_cast<Board*>(
            MapViewOfFile(board.mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Board)));
    return board;
}

ProgressBoard ProgressBoard::Open(const std::wstring& name) {
    ProgressBoard board;
    if (name.empty()) return board;
    board.mapping_ = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (board.mapping_)
        board.board_ = static_cast<Board*>(
            MapViewOfFile(board.mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Board)));
    return board;
}

ProgressBoard::ProgressBoard(ProgressBoard&& other) noexcept
    : mapping_(std::exchange(other.mapping_, nullptr)),
      board_(std::exchange(other.board_, nullptr)) {}

ProgressBoard& ProgressBoard::operator=(ProgressBoard&& other) noexcept {
    std::swap(mapping_, other.mapping_);
    std::swap(board_, other.board_);
    return *this;
}

ProgressBoard::~ProgressBoard() {
    if (board_) UnmapViewOfFile(board_);
    if (mapping_) CloseHandle(mapping_);
}

void ProgressBoard::SetGroup(const std::string& group) {
    if (board_) Put(board_->group, group);
}

void ProgressBoard::SetCall(const std::string& call) {
    if (board_) Put(board_->call, call);
}

std::string ProgressBoard::Group() const {
    return board_ ? Get(board_->group) : "";
}

std::string ProgressBoard::Call() const {
    return board_ ? Get(board_->call) : "";
}

}  // namespace hostsim
