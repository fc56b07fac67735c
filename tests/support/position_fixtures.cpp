// The loaders' forms that fail the running test on malformed text; the
// loader itself needs no GoogleTest.
#include <gtest/gtest.h>

#include "tests/support/position_loader.h"

BoardState SfenPosition(std::string_view sfen) {
  BoardState b;
  if (!LoadSfen(sfen, b)) ADD_FAILURE() << "malformed SFEN: " << sfen;
  return b;
}

BoardState DiagramPosition(std::string_view rows, int sideToMove, std::string_view hands) {
  BoardState b;
  if (!LoadDiagram(rows, b, sideToMove, hands)) ADD_FAILURE() << "malformed diagram:\n" << rows;
  return b;
}
