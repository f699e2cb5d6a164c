% invoice.frm: the background of every page of the sample invoice run:
% a frame, a heading band and a footer line (A4, 300 units an inch).
{
  6 SETLW
  120 120 2240 3268 XLBB DRAWB
  [.85 .9 .95] SETTXC
  126 3230 2228 152 XLBB FILLB
  BLACK SETTXC
  2 SETLW
  120 300 2240 0 XLBB DRAWB
} FSHOW
