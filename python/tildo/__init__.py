"""Restores the letter ё in Russian texts typed with е.

    >>> import tildo
    >>> r = tildo.Restorer()
    >>> r.restore("еще")
    'ещё'

A Restorer loads its dictionaries once; restore, restore_with_questions and
restore_jsonl may then be called from many threads at once (the work runs
without the GIL). Nothing is asked: a word the dictionaries leave to a person
stays as written, and restore_with_questions lists those words.
"""

import os

from ._tildo import Restorer as _Restorer
from ._tildo import RestorerError

__all__ = ["Restorer", "RestorerError", "data_file"]

_HERE = os.path.dirname(os.path.abspath(__file__))


def data_file(name):
    """A data file shipped with the package: "tildo.dat", "combi.dat", "tags.dat" or "rare_yo.dat"."""
    return os.path.join(_HERE, name)


class Restorer(_Restorer):
    """Restorer(dictionary=None, combinations=None, on=(), off=())

    dictionary: the main dictionary (the shipped one by default);
    combinations: a combination dictionary (the shipped one by default, as
    tildo-cli uses it; "" for none); on/off: pass options by their settings
    keys, as tildo-cli --on/--off take them. "Context" (deciding variant
    words by the grammar around them) is on unless turned off; it reads the
    package's tags.dat and rare_yo.dat.
    """

    def __init__(self, dictionary=None, combinations=None, on=(), off=()):
        if combinations is None:
            combinations = data_file("combi.dat")
        super().__init__(dictionary or data_file("tildo.dat"), combinations, list(on), list(off), _HERE)
