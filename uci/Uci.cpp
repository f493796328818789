int Side = WhosMove;
uint8_t Depth = Ply;
