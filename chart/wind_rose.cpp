// WindRose model: written next.
