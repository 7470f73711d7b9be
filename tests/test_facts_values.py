"""The values the facts computation gives: hand-checked positions for every
group, the exchange evaluation's worked examples, the history of games, the
facts of each move and the two summaries."""

import pytest

import vorn

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
BARE = "4k3/8/8/8/8/8/8/4K3 w - - 0 1"
RANKS_1_TO_3 = [f + "1" for f in "bcdefg"] + [f + r for r in "23" for f in "abcdefgh"]


def value(fen, path, variant=vorn.CLASSIC):
    """The JSON value of `group.field` or `group.field.side` in the facts of `fen`."""
    node = vorn.Position.from_fen(fen).facts(variant=variant).to_dict()
    for key in path.split("."):
        node = node[key]
    return node


def move_facts(fen, uci, variant=vorn.CLASSIC):
    for annotated in vorn.Position.from_fen(fen).annotated_moves(variant=variant):
        if annotated.move.uci() == uci:
            return annotated.facts.to_dict()
    raise AssertionError(f"{uci} is not a legal move of {fen}")


CASES = {
    # placement and state
    "start-state": (START, "state", {
        "in_check": False, "double_check": False, "can_castle_short": {"white": True, "black": True},
        "can_castle_long": {"white": True, "black": True}, "en_passant": None,
        "en_passant_capture_legal": False}),
    "start-kings": (START, "placement.kings", {"white": ["e1"], "black": ["e8"]}),
    "ep-file-without-capture": ("4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1", "state.en_passant", "e"),
    "ep-without-capture-not-legal": ("4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1",
                                     "state.en_passant_capture_legal", False),
    "ep-capture-legal": ("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "state.en_passant_capture_legal", True),
    "double-check": ("4k3/8/8/8/8/5n2/8/r3K3 w - - 0 1", "state.double_check", True),
    "rights-not-legality": ("4k3/8/8/8/8/8/8/R3K1nR w KQ - 0 1", "state.can_castle_short.white", True),
    # material
    "start-value": (START, "material.value.white", 39),
    "start-non-pawn-value": (START, "material.non_pawn_value.black", 31),
    "start-phase": (START, "material.phase_points", 24),
    "start-sufficient": (START, "material.insufficient_material", {"white": False, "black": False}),
    "start-not-pawns-only": (START, "material.pawns_only", False),
    "bare-kings-pawns-only": (BARE, "material.pawns_only", True),
    "bare-kings-phase": (BARE, "material.phase_points", 0),
    "bare-kings-insufficient": (BARE, "material.insufficient_material", {"white": True, "black": True}),
    "two-light-bishops": ("4k3/8/8/8/8/8/8/2B1K1B1 w - - 0 1", "material.insufficient_material.white",
                          True),
    "bishops-of-both-colours": ("4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1",
                                "material.insufficient_material.white", False),
    "two-knights": ("4k3/8/8/8/8/8/8/1N2K1N1 w - - 0 1", "material.insufficient_material.white", False),
    "both-queens": ("3qk3/8/8/8/8/8/8/3QK3 w - - 0 1", "material.both_queens", True),
    "history-without-game": (START, "history.known", False),
    "clocks-unknown": ("4k3/8/8/8/8/8/8/4K3 w - -", "history.halfmove_known", False),
    "clocks-known": ("4k3/8/8/8/8/8/8/4K3 w - - 7 9", "history.halfmove_clock", 7),
    # pawns
    "no-pawns-holes": (BARE, "pawns.holes.white", [f + r for r in "3456" for f in "abcdefgh"]),
    "no-pawns-semi-open": ("4k3/pp6/8/8/8/8/8/4K3 w - - 0 1", "pawns.semi_open_files.white", ["a", "b"]),
    "no-pawns-chain": (BARE, "pawns.chain_max_length.white", 0),
    "one-pawn-chain": ("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "pawns.chain_max_length.white", 1),
    "diagonal-chain": ("4k3/8/8/8/3P4/2P5/1P6/4K3 w - - 0 1", "pawns.chain_max_length.white", 3),
    "zigzag-chain": ("4k3/8/8/8/1P6/2P5/1P6/4K3 w - - 0 1", "pawns.chain_max_length.white", 2),
    "passer-not-candidate": ("4k3/8/8/8/3P4/2P5/8/4K3 w - - 0 1", "pawns.candidates.white", []),
    "candidate-level-support": ("4k3/8/1p6/8/2PP4/8/8/4K3 w - - 0 1", "pawns.candidates.white",
                                ["c4"]),
    "lead-passer-lower-file": ("4k3/8/1P4P1/8/8/8/8/4K3 w - - 0 1",
                               "pawns.passer_own_king_distance.white", 7),
    "passer-lead-rank": ("4k3/8/8/8/8/8/P7/4K3 w - - 0 1", "pawns.passer_lead_rank.white", 2),
    "passer-distance": ("4k3/8/8/8/8/8/P7/4K3 w - - 0 1", "pawns.passer_distance.white", 6),
    "knight-stops-unstoppable": ("8/8/4P3/7k/8/8/n7/K7 w - - 0 1", "pawns.passer_unstoppable.white",
                                 False),
    "enemy-to-move-in-square": ("8/8/4P3/7k/8/8/8/K7 b - - 0 1", "pawns.passer_in_square.white", True),
    "enemy-to-move-stoppable": ("8/8/4P3/7k/8/8/8/K7 b - - 0 1", "pawns.passer_unstoppable.white",
                                False),
    "side-to-move-unstoppable": ("8/8/4P3/7k/8/8/8/K7 w - - 0 1", "pawns.passer_unstoppable.white",
                                 True),
    "side-to-move-out-of-square": ("8/8/4P3/7k/8/8/8/K7 w - - 0 1", "pawns.passer_in_square.white",
                                   False),
    "ram": ("4k3/8/8/4p3/4P3/8/8/4K3 w - - 0 1", "pawns.rams", 1),
    "rammed-pawn-fixed": ("4k3/8/8/4p3/4P3/8/8/4K3 w - - 0 1", "pawns.fixed_pawns.black", 1),
    "backward": ("4k3/8/3p4/8/2P5/1P6/8/4K3 b - - 0 1", "pawns.backward.black", ["d6"]),
    "doubled-isolated": ("4k3/8/8/8/4P3/4P3/8/4K3 w - - 0 1", "pawns.isolated.white", ["e3", "e4"]),
    "islands": ("4k3/8/8/8/8/8/PP1PP1PP/4K3 w - - 0 1", "pawns.islands.white", 3),
    "shield-files-edge": ("4k2K/8/8/8/8/8/8/8 b - - 0 1", "pawns.half_open_at_enemy_king.black", 0),
    "half-open-at-king-edge": ("4k2K/8/8/8/8/8/7P/8 w - - 0 1", "pawns.half_open_at_enemy_king.black",
                               1),
    # pieces
    "start-rooks-and-outposts": (START, "pieces.outposts", {"white": [], "black": []}),
    "start-undeveloped": (START, "pieces.minors_undeveloped", {"white": 4, "black": 4}),
    "start-knights-on-rim": (START, "pieces.knights_on_rim", {"white": 2, "black": 2}),
    "start-queen-home": (START, "pieces.queen_developed", {"white": False, "black": False}),
    "start-bishop-pair": (START, "pieces.bishop_pair.white", True),
    "start-pawns-on-bishop-colour": (START, "pieces.pawns_on_bishop_colour.white", 8),
    "rooks-connected": ("4k3/8/8/8/8/8/8/R5KR w - - 0 1", "pieces.rooks_connected_rank.white", False),
    "rooks-connected-free": ("4k2K/8/8/8/8/8/8/R6R w - - 0 1", "pieces.rooks_connected_rank.white",
                             True),
    "rooks-knight-between": ("4k2K/8/8/8/8/8/8/R2N3R w - - 0 1", "pieces.rooks_connected_rank.white",
                             False),
    "trapped-rook": ("4k3/8/8/8/8/8/6PP/6KR w - - 0 1", "pieces.trapped_rook.white", True),
    "trapped-rook-with-right": ("r3k3/8/8/8/8/8/6PP/R5KR w Q - 0 1",
                                "pieces.trapped_rook.white", False),
    "trapped-knight": ("4k3/8/8/8/2p5/3p4/8/N3K3 w - - 0 1", "pieces.trapped_pieces.white", 1),
    "trapped-knight-value": ("4k3/8/8/8/2p5/3p4/8/N3K3 w - - 0 1", "pieces.trapped_value.white", 3),
    "outpost": ("4k3/8/8/3N4/4P3/8/8/4K3 w - - 0 1", "pieces.outposts.white", ["d5", "f5"]),
    "outpost-minor": ("4k3/8/8/3N4/4P3/8/8/4K3 w - - 0 1", "pieces.minors_on_outpost.white", 1),
    "outpost-ruled-out-beside": ("4k3/8/8/2pN4/4P3/8/8/4K3 w - - 0 1",
                                 "pieces.outposts.white", ["f5"]),
    "rook-behind-own-passer": ("4k3/8/8/8/P7/8/8/R3K3 w - - 0 1", "pieces.rook_behind_own_passer.white",
                               1),
    "rook-behind-enemy-passer": ("r3k3/8/8/8/8/p7/8/R3K3 w - - 0 1",
                                 "pieces.rook_behind_enemy_passer.black", 0),
    "rook-above-black-passer": ("4k3/R7/8/8/8/p7/8/4K3 w - - 0 1",
                                "pieces.rook_behind_enemy_passer.white", 1),
    "seventh-with-king-on-eighth": ("4k3/R7/8/8/8/8/8/4K3 w - - 0 1",
                                    "pieces.rook_on_seventh_with_king_on_eighth.white", True),
    "opposite-bishops": ("4kb2/8/8/8/8/8/8/3BK3 w - - 0 1", "pieces.opposite_coloured_bishops", True),
    # king
    "start-shield-files": (START, "king.shield_files", {"white": ["d", "e", "f"], "black": ["d", "e", "f"]}),
    "start-shield": (START, "king.shield.white", [1, 1, 1]),
    "start-storm": (START, "king.storm.white", [6, 6, 6]),
    "start-home": (START, "king.on_home_square", {"white": True, "black": True}),
    "start-castled-side": (START, "king.castled_side", {"white": None, "black": None}),
    "start-back-rank-risk": (START, "king.back_rank_risk.white", True),
    "start-luft": (START, "king.luft.white", False),
    "start-escape": (START, "king.escape_squares.white", 0),
    "start-open-rays": (START, "king.open_rays.white", 0),
    "start-distance": (START, "king.distance", 7),
    "start-virtual-mobility": (START, "king.virtual_mobility.white", 5),
    "shield-a1": ("4k3/8/8/8/8/8/8/K7 w - - 0 1", "king.shield_files.white", ["a", "b", "c"]),
    "shield-h8": ("7k/8/8/8/8/8/8/K7 w - - 0 1", "king.shield_files.black", ["f", "g", "h"]),
    "castled-short": ("4k3/8/8/8/8/8/8/6K1 w - - 0 1", "king.castled_side.white", "short"),
    "castled-long": ("4k3/8/8/8/8/8/8/2K5 w - - 0 1", "king.castled_side.white", "long"),
    "not-castled-on-e": (BARE, "king.castled_side.white", None),
    "right-left-not-castled": ("4k3/8/8/8/8/8/8/R3K3 w Q - 0 1",
                               "king.castled_side.white", None),
    "king-b3-back-rank": ("4k3/8/8/8/8/1K6/8/8 w - - 0 1", "king.back_rank_risk.white", False),
    "king-b3-luft": ("4k3/8/8/8/8/1K6/8/8 w - - 0 1", "king.luft.white", False),
    "king-b3-queenside": ("4k3/8/8/8/8/1K6/8/8 w - - 0 1", "king.castled_queenside.white", True),
    "no-pieces-tropism": (BARE, "king.tropism", {"white": 0.0, "black": 0.0}),
    "no-pieces-ring": (BARE, "king.ring_attack_weight", {"white": 0, "black": 0}),
    "ring-weight": ("4k3/8/8/8/3q1q2/8/r6r/4K3 w - - 0 1", "king.ring_attack_weight.white", 12),
    "open-rays-bare": ("4k3/8/8/8/8/8/8/K7 w - - 0 1", "king.open_rays.white", 3),
    "opposite-wings": ("6k1/8/8/8/8/8/8/2K5 w - - 0 1", "king.opposite_side_castling", True),
    # mobility
    "start-knight-mobility": (START, "mobility.knights.white", 4),
    "start-pawn-mobility": (START, "mobility.pawns.white", 8),
    "start-immobile": (START, "mobility.immobile_pieces.white", 5),
    "start-space": (START, "mobility.space.white", 0),
    "start-extended-centre": (START, "mobility.extended_centre_control.white", 4),
    # attacks
    "start-controlled": (START, "attacks.controlled.white", RANKS_1_TO_3),
    "rook-en-prise-to-knight": ("4k3/8/8/8/8/1n6/3R4/3QK3 w - - 0 1", "attacks.en_prise.white", ["d2"]),
    "rook-not-hanging": ("4k3/8/8/8/8/1n6/3R4/3QK3 w - - 0 1", "attacks.hanging.white", []),
    "knight-by-bishop-not-en-prise": ("4k3/8/8/b7/8/2N5/1P6/3QK3 w - - 0 1",
                                      "attacks.en_prise.white", []),
    "pinned-knight": ("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1", "attacks.pinned.white", ["e2"]),
    "pinned-value": ("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1", "attacks.pinned_value.white", 3),
    "skewer-candidate": ("3k4/8/8/8/3q4/8/8/3RK3 w - - 0 1", "attacks.skewer_candidates.white", 0),
    "skewer-king-in-front": ("3r4/8/8/3k4/8/8/8/3RK3 b - - 0 1", "attacks.skewer_candidates.white",
                             1),
    # threats
    "knight-by-pawn-threatened": ("4k3/8/8/3p4/4N3/5P2/8/4K3 w - - 0 1", "threats.threatened.white",
                                  ["e4"]),
    "knight-by-pawn-lesser": ("4k3/8/8/3p4/4N3/5P2/8/4K3 w - - 0 1", "threats.attacked_by_lesser.white",
                              ["e4"]),
    "knight-by-pawn-not-loose": ("4k3/8/8/3p4/4N3/5P2/8/4K3 w - - 0 1", "threats.loose.white", ["f3"]),
    "knight-by-pawn-no-surplus": ("4k3/8/8/3p4/4N3/5P2/8/4K3 w - - 0 1",
                                  "threats.attacker_surplus.white", []),
    "rook-by-queen-loose": ("4k3/8/8/3q4/8/8/3R4/7K w - - 0 1", "threats.loose.white", ["d2"]),
    "rook-by-queen-threatened": ("4k3/8/8/3q4/8/8/3R4/7K w - - 0 1", "threats.threat_max_gain.white", 5),
    "rook-by-queen-no-surplus": ("4k3/8/8/3q4/8/8/3R4/7K w - - 0 1", "threats.attacker_surplus.white",
                                 []),
    "rook-by-queen-not-lesser": ("4k3/8/8/3q4/8/8/3R4/7K w - - 0 1", "threats.attacked_by_lesser.white",
                                 []),
    "king-overloaded": ("4k3/8/8/1b6/1b6/8/3NN3/4K3 w - - 0 1",
                        "threats.overloaded_defenders.white", ["e1"]),
    "king-never-removable": ("4k3/8/8/1b6/1b6/8/3NN3/4K3 w - - 0 1", "threats.removable_defenders.white",
                             []),
    "bare-king-threats": (BARE, "threats.threatened_value", {"white": 0, "black": 0}),
    "battery-at-king": ("8/8/8/8/8/Q7/1k6/R3K3 b - - 0 1", "threats.battery_at_king.white", True),
    "battery": ("8/8/8/8/8/Q7/1k6/R3K3 b - - 0 1", "threats.battery_count.white", 1),
    "adjacent-no-battery": ("4k3/8/8/8/8/8/Q7/R3K3 w - - 0 1", "threats.battery_count.white", 0),
    "xray": ("4k3/8/8/6r1/8/4n3/8/2B1K3 w - - 0 1", "threats.xray_through_enemy.white", 1),
    "xray-own-behind": ("4k3/8/8/6P1/8/4n3/8/2B1K3 w - - 0 1", "threats.xray_through_enemy.white", 0),
    # exchange
    "no-captures": (START, "exchange.see_best_capture", {"white": 0, "black": 0}),
    "only-losing-capture": ("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "exchange.see_best_capture.white", -8),
    "losing-counts-nothing": ("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1",
                              "exchange.see_positive_capture_count.white", 0),
    "in-check-other-side-zero": ("4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "exchange.see_best_capture.black", 0),
    # endgame
    "start-centralisation": (START, "endgame.king_centralisation", {"white": 3, "black": 3}),
    "start-race": (START, "endgame.race_plies", {"white": 8, "black": 8}),
    "start-opposition": (START, "endgame.opposition", None),
    "start-drawish": (START, "endgame.drawish_material", None),
    "direct-opposition": ("8/8/4k3/8/4K3/8/8/8 w - - 0 1", "endgame.opposition", "direct"),
    "distant-opposition": ("4k3/8/8/8/4K3/8/8/8 w - - 0 1", "endgame.opposition", "distant"),
    "six-between": (BARE, "endgame.opposition", None),
    # A unit of either side between the kings breaks the opposition on every kind of line.
    "direct-blocked": ("8/8/4k3/4P3/4K3/8/8/8 w - - 0 1", "endgame.opposition", None),
    "distant-blocked": ("4k3/8/8/8/4p3/8/4K3/8 w - - 0 1", "endgame.opposition", None),
    "distant-rank-blocked": ("8/8/8/8/1K1N1k2/8/8/8 w - - 0 1", "endgame.opposition", None),
    "distant-diagonal": ("8/8/8/4k3/8/8/8/K7 w - - 0 1", "endgame.opposition", "distant"),
    "distant-diagonal-blocked": ("8/8/8/4k3/8/2n5/8/K7 w - - 0 1", "endgame.opposition", None),
    "key-square-pawn-e5": ("k7/8/4K3/4P3/8/8/8/8 w - - 0 1", "endgame.key_square_occupied.white", True),
    "key-square-pawn-e4": ("k7/8/4K3/8/4P3/8/8/8 w - - 0 1", "endgame.key_square_occupied.white", True),
    "wrong-bishop": ("4k3/8/8/8/8/8/P7/2B1K3 w - - 0 1", "endgame.wrong_colour_bishop.white", True),
    "wrong-bishop-draw": ("4k3/8/8/8/8/8/P7/2B1K3 w - - 0 1", "endgame.drawish_material", "wrong_bishop"),
    "right-bishop": ("4k3/8/8/8/8/8/P7/3BK3 w - - 0 1", "endgame.drawish_material", None),
    "two-knights-draw": ("4k3/8/8/8/8/8/8/2NNK3 w - - 0 1", "endgame.drawish_material", "two_knights"),
    "two-knights-and-pawn": ("4k3/8/8/8/8/8/P7/2NNK3 w - - 0 1", "endgame.drawish_material", None),
    "opposite-bishops-draw": ("4kb2/p7/8/8/8/8/P7/3BK3 w - - 0 1", "endgame.drawish_material",
                              "opposite_bishops"),
    "race-white-to-move": ("4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "endgame.race_plies.white", 0),
    "race-black-to-move": ("4k3/P7/8/8/8/8/8/4K3 b - - 0 1", "endgame.race_plies.white", 1),
    # maps copy their groups
    "maps-threatened": ("4k3/8/8/3p4/4N3/5P2/8/4K3 w - - 0 1", "maps.threatened.white", ["e4"]),
    "maps-pinned": ("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1", "maps.pinned.white", ["e2"]),
    # tactics
    "no-legal-moves": ("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "tactics.legal_move_count.black", 0),
    "no-legal-moves-available": ("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "tactics.available.black", True),
    "no-legal-moves-no-safe": ("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "tactics.no_safe_moves.black", True),
    "in-check-other-unavailable": ("4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "tactics.available.black", False),
    "in-check-other-zero": ("4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "tactics.legal_move_count.black", 0),
    "start-legal": (START, "tactics.legal_move_count", {"white": 20, "black": 20}),
    "castling-checks": ("5k2/8/8/8/8/8/8/4K2R w K - 0 1", "tactics.check_count.white", 3),
    "castling-check-not-discovered": ("5k2/8/8/8/8/8/8/4K2R w K - 0 1",
                                      "tactics.discovered_check_available.white", False),
    "queen-takes-defended-pawn": ("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1",
                                  "tactics.losing_capture_count.white", 1),
    "losing-capture-no-gain": ("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1",
                               "tactics.winning_capture_max_gain.white", 0),
    "royal-knight-fork": ("r3k3/8/8/1N6/8/8/8/4K3 w - - 0 1", "tactics.royal_fork_available.white", True),
    "royal-fork-value": ("r3k3/8/8/1N6/8/8/8/4K3 w - - 0 1", "tactics.fork_max_value.white", 9),
    "defended-bishops-no-fork": ("4k3/1p3p2/2b1b3/1N6/8/8/8/4K3 w - - 0 1", "tactics.fork_count.white", 0),
    "defended-rooks-fork": ("7k/3p4/2r1r3/1N6/8/8/8/7K w - - 0 1", "tactics.fork_count.white", 1),
    "bishop-pins-knight": ("4k3/3n4/8/8/8/8/8/3BK3 w - - 0 1", "tactics.pin_creation_count.white", 1),
    "bishop-skewers-rook": ("7k/8/5n2/8/3r4/8/8/B3K3 w - - 0 1",
                            "tactics.skewer_creation_available.white", True),
    "promotion-knight-fork": ("8/q1P1k3/8/8/8/8/8/4K3 w - - 0 1", "tactics.promotes_to_knight.white",
                              True),
    "promotion-check": ("8/q1P1k3/8/8/8/8/8/4K3 w - - 0 1", "tactics.check_by_pawn.white", True),
    "promotion-knight-fork-flag": ("8/q1P1k3/8/8/8/8/8/4K3 w - - 0 1",
                                   "tactics.knight_fork_available.white", True),
    "promotion-royal-fork": ("8/q1P1k3/8/8/8/8/8/4K3 w - - 0 1", "tactics.royal_fork_available.white",
                             True),
    "promotion-files": ("8/q1P1k3/8/8/8/8/8/4K3 w - - 0 1", "tactics.promotion_files.white", ["c"]),
    "back-rank-mate": ("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "tactics.back_rank_mate_threat.white", True),
    "back-rank-mate-in-1": ("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "tactics.mate_in_1.white", True),
    "luft-no-back-rank-threat": ("6k1/5pp1/7p/8/8/8/8/R5K1 w - - 0 1",
                                 "tactics.back_rank_mate_threat.white", False),
    "stalemate-in-1": ("k7/8/1K6/8/8/8/8/2Q5 w - - 0 1", "tactics.stalemate_in_1.white",
                       True),
    "discovered-check": ("4k3/8/8/8/4N3/8/8/4RK2 w - - 0 1", "tactics.discovered_check_available.white",
                         True),
    "discovered-attack-on-queen": ("3qk3/8/8/8/3N4/8/8/3RK3 w - - 0 1",
                                   "tactics.discovered_attack_on_queen.white", True),
}


@pytest.mark.parametrize("fen, path, expected", CASES.values(), ids=CASES.keys())
def test_hand_checked_values(fen, path, expected):
    got = value(fen, path)
    if isinstance(got, float):
        assert got == pytest.approx(expected)
    else:
        assert got == expected


@pytest.mark.parametrize("fen, uci, expected", [
    ("1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7b8q", 13),
    ("3r3k/3r4/8/8/8/8/3R4/3R3K w - - 0 1", "d2d7", 5),
    ("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", -8),
    ("4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", 1),
    ("4k3/8/8/8/2p5/8/8/3QK3 w - - 0 1", "d1d3", -9),
], ids=["promoting-capture", "x-ray-rooks", "defended-pawn", "undefended-pawn", "quiet-to-lost-square"])
def test_exchange_of_a_move_is_answered_by_the_opponent(fen, uci, expected):
    position = vorn.Position.from_fen(fen)
    assert position.see_capture(position.parse_uci(uci)) == expected
    assert move_facts(fen, uci)["see"] == expected


@pytest.mark.parametrize("fen, move", [
    (BARE, vorn.Move("d4", "d5")),
    (BARE, vorn.Move("e1", "h1", kind="castling")),
    ("4k3/8/8/8/8/8/8/R3K3 w - - 0 1", vorn.Move("e8", "a1", kind="capture", is_capture=True)),
    ("4k3/8/8/8/8/8/8/R3K3 w - - 0 1", vorn.Move("a1", "a1")),
    (START, vorn.Move("d1", "d8", kind="capture", is_capture=True)),
], ids=["empty-origin", "castling", "other-sides-unit", "to-itself", "through-units"])
def test_exchange_of_any_move_is_a_number(fen, move):
    result = vorn.Position.from_fen(fen).see_capture(move)
    assert isinstance(result, int)
    if move.origin == "d4" or move.kind == "castling":
        assert result == 0


def game_after(*moves, fen=START):
    game = vorn.Game.from_fen(fen)
    for uci in moves:
        game.play(uci)
    return game.facts().history.to_dict()


# Two captures, then eight quiet plies.
QUIET_AFTER_CAPTURES = ["e2e4", "d7d5", "e4d5", "d8d5", "g1f3", "g8f6", "b1c3", "d5a5", "f1e2", "c8f5",
                        "e1g1", "b8c6"]


@pytest.mark.parametrize("moves, fen, field, expected", [
    ([], START, "known", True),
    ([], START, "quiet_plies", 0),
    ([], START, "material_trend", 0),
    ([], START, "last_move_mover", None),
    ([], START, "repetition_seen", False),
    (["g1f3", "g8f6", "f3g1"], START, "repetition_available", True),
    (["g1f3", "g8f6", "f3g1", "f6g8"], START, "repetition_seen", True),
    (["e2e4", "d7d5", "e4d5"], START, "captures_in_last_8", 1),
    (["e2e4", "d7d5", "e4d5", "g8f6"], START, "quiet_plies", 1),
    (QUIET_AFTER_CAPTURES, START, "captures_in_last_8", 0),
    (QUIET_AFTER_CAPTURES, START, "quiet_plies", 8),
    (["e5d6"], "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "last_move_victim", "p"),
    (["e5d6"], "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "last_move_mover", "p"),
    (["e1h1"], "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "last_move_mover", "k"),
    (["e1h1"], "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "last_move_victim", None),
    ([], "4k3/8/8/8/8/8/8/4K3 w - -", "halfmove_known", False),
    (["b1c3", "e8d8", "c3d5", "d8e8", "g1f3", "e8d8", "f3g5", "d8e8", "d5f6", "e7f6"],
     "4k3/4p3/8/8/8/8/8/RN2K1NR w - - 0 1", "material_trend", -3),
    (["h1h2", "e8d8", "h2h1", "d8e8", "h1h2", "e8d8", "h2h1", "d8e8", "a1b1", "a8b8", "b1c1",
      "b8c8", "c1b1", "c8b8", "b1a1", "b8a8", "a1b1", "a8b8", "e1e2", "b8b2"],
     "r3k3/8/8/8/8/8/1N6/R3K2R w - - 0 1", "material_trend", -3),
], ids=["new-game-known", "new-game-quiet", "new-game-trend", "new-game-no-mover",
        "new-game-not-seen", "knight-back-available", "knight-back-seen", "capture-counted",
        "quiet-after-capture", "captures-outside-window", "quiet-counts-back-past-window",
        "en-passant-victim", "en-passant-mover", "castling-mover", "castling-no-victim",
        "four-field-fen", "knight-lost-over-window", "knight-lost-on-last-ply"])
def test_history_of_a_game(moves, fen, field, expected):
    assert game_after(*moves, fen=fen)[field] == expected


MOVE_CASES = {
    "e4": (START, "e2e4", {"mover": "p", "victim": None, "promotion": None, "see": 0, "is_safe": True,
                           "advances_passer": False, "creates_passer": False,
                           "creates_isolated": False, "creates_doubled": False,
                           "creates_backward": False}),
    "quiet-knight-keeps-structure": ("4k3/8/8/3p4/8/8/8/1N2K3 w - - 0 1", "b1c3", {
        "creates_passer": False, "creates_isolated": False, "creates_doubled": False,
        "creates_backward": False, "opens_file_at_enemy_king": False}),
    "pawn-capture-opens-shield-file": ("6k1/5p1p/6p1/7P/8/8/8/K7 w - - 0 1", "h5g6", {
        "opens_file_at_enemy_king": True, "victim": "p", "creates_doubled": False}),
    "enemy-pawn-taken-off-file": ("6k1/5p2/6p1/8/8/8/8/K5R1 w - - 0 1", "g1g6",
                                  {"opens_file_at_enemy_king": False}),
    "interposes": ("4k3/4r3/8/8/8/8/3R4/4K3 w - - 0 1", "d2e2", {"blocks_check": True}),
    "captures-checker": ("4k3/8/8/8/8/8/4r3/4K2R w - - 0 1", "e1e2", {"blocks_check": False}),
    "double-check-blocks-nothing": ("4k3/8/8/8/1b6/8/4r3/3RK1N1 w - - 0 1", "e1f1",
                                    {"blocks_check": False}),
    "king-move-rings": ("4k3/8/8/8/8/r7/8/4K3 w - - 0 1", "e1e2", {"mover_king_attackers_delta": 1}),
    "castling-kept-as-king-takes-rook": ("4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1h1",
                                         {"is_castling": True, "mover": "k"}),
    "en-passant": ("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", {"is_en_passant": True, "victim": "p",
                                                                "see": 1}),
    "promotion": ("4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", {"promotion": "q", "see": 8,
                                                             "advances_passer": True}),
    "hanging-capture": ("4k3/8/8/3n4/8/8/8/3RK3 w - - 0 1", "d1d5", {"captures_hanging": True,
                                                                    "victim": "n", "see": 3}),
    "discovered-attack": ("3qk3/8/8/8/3N4/8/8/3RK3 w - - 0 1", "d4f5", {"gives_discovered_attack": True}),
    "escapes": ("4k3/8/8/3p4/4N3/8/8/4K3 w - - 0 1", "e4c3", {"moves_attacked_unit": True,
                                                              "escapes_attack": True}),
    "leaves-knight-hanging": ("4k3/8/8/3r4/8/3N4/3R4/4K3 w - - 0 1", "d2e2",
                              {"leaves_unit_hanging": True, "mover_hanging_delta": 1}),
}


@pytest.mark.parametrize("fen, uci, expected", MOVE_CASES.values(), ids=MOVE_CASES.keys())
def test_facts_of_a_move(fen, uci, expected):
    facts = move_facts(fen, uci)
    assert {name: facts[name] for name in expected} == expected


def test_move_facts_follow_the_legal_moves():
    for fen in (START, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"):
        position = vorn.Position.from_fen(fen)
        assert [a.move for a in position.annotated_moves()] == position.legal_moves()


def test_summaries_of_the_start():
    position = vorn.Position.from_fen(START)
    board = position.summary().split("\n")
    assert board[0] == "8 r n b q k b n r "
    assert board[7] == "1 R N B Q K B N R "
    assert board[8:] == ["  a b c d e f g h", "White to move",
                         "\tcastling KQkq, en passant -, halfmove clock 0, move 1", ""]
    assert vorn.Position.from_fen(START[:-4]).summary() == position.summary()
    assert position.facts().summary() == (
        "White to move, material 39 v 39, phase 24/24\n"
        "pawns: passed \u2014 / \u2014, islands 1 / 1, open files \u2014\n"
        "kings: e1 / e8, ring holes 0 / 0, attack weight 0 / 0\n"
        "hanging \u2014 / \u2014, pinned \u2014 / \u2014\n"
        "White: 20 legal, 0 checks, 0 captures, 0 forks\n")


@pytest.mark.parametrize("fen, line", [
    ("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "\tcastling -, en passant e3, halfmove clock 0, move 1"),
    ("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "\tcastling -, en passant d6, halfmove clock 0, move 1"),
    ("4k3/8/8/8/8/8/4r3/4K3 w - - 3 40", "White to move, in check"),
], ids=["black-to-move", "white-to-move", "check"])
def test_position_summary_lines(fen, line):
    assert line in vorn.Position.from_fen(fen).summary().split("\n")


def test_facts_summary_of_a_mate_in_one():
    summary = vorn.Position.from_fen("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1").facts().summary()
    assert summary.split("\n")[1] == "pawns: passed \u2014 / f7 g7 h7, islands 0 / 1, open files abcde"
    assert summary.endswith(", mate in 1\n")


def test_chess960_castling_lands_king_and_rook_on_their_files():
    fen = "5k2/8/8/8/8/8/8/1K5R w H - 0 1"
    castling = move_facts(fen, "b1h1", variant=vorn.CHESS960)
    assert (castling["is_castling"], castling["mover"], castling["gives_check"]) == (True, "k", True)
    tactics = vorn.Position.from_fen(fen).facts(variant=vorn.CHESS960).tactics.to_dict()
    assert tactics["discovered_check_available"]["white"] is False
    assert tactics["check_by_rook"]["white"] is True
