#pragma once
// The system's own messages of the map importer, quoted exactly.

namespace velorina::messages {

inline constexpr const char* kMapNotFound = "Ο χάρτης %s δεν βρέθηκε στο αρχείο %s.";
inline constexpr const char* kQuadrangleVertexIndex = "Make3DQInfVertex() -> Invalid parameter!";

}  // namespace velorina::messages
