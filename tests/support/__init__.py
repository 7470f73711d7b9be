"""Helpers the tests share: oracles, fixtures' data sources and a scripted engine."""
