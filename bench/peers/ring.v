// A ring of N inverting stages (a Nand with the enable, then N-1 inverters) and one buffer (the
// level-restoring stage of the Tarvik netlist, 17 units); stage 0 clocks a 16-bit counter.
`timescale 1ns/1ns
module top;
  parameter N = 11, START = 1000, STOP = 2000;
  reg en = 0, rst = 1;
  wire restored, cout;
  nand #10 (st[0].r, en, restored);
  genvar i;
  generate
    for (i = 0; i < N; i = i + 1) begin : st
      wire r;
      if (i > 0) begin : inv
        not #10 (r, st[i-1].r);
      end
    end
  endgenerate
  buf #17 (restored, st[N-1].r);
  counter #(.K(16), .SNAP(STOP - 1)) cnt (st[0].r, rst, cout);
  initial begin
    #START;
    en = 1;
    rst = 0;
    #(STOP - START);
    $display("count=%h", cnt.snap);
    $finish;
  end
endmodule
